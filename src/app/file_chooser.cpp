#include "app/file_chooser.h"

#include <QDir>
#include <QFileDialog>

namespace mapolt {

namespace {

FileChooser::Script& script() {
    static FileChooser::Script instance;
    return instance;
}

} // namespace

void FileChooser::setScript(Script s) {
    script() = std::move(s);
}

QString FileChooser::choose(QWidget* parent, Kind kind, const QString& title, const QString& filter,
                            const QString& suggestedName) {
    if (script())
        return script()(kind, title);
    const QString start = QDir::home().filePath(suggestedName);
    switch (kind) {
    case Kind::Open:
        return QFileDialog::getOpenFileName(parent, title, QDir::homePath(), filter);
    case Kind::Save:
        return QFileDialog::getSaveFileName(parent, title, start, filter);
    case Kind::Folder:
        return QFileDialog::getExistingDirectory(parent, title, QDir::homePath());
    }
    return {};
}

} // namespace mapolt
