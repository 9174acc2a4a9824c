#include "app/clipboard_pasteboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace mapolt {

namespace {

QString mimeTypeOf(std::string_view type) {
    if (type == kProjectMPBoardType)
        return QString::fromLatin1(ClipboardPasteboard::kTasksMimeType);
    if (type == kPlainTextType)
        return QStringLiteral("text/plain");
    return QString::fromUtf8(type.data(), static_cast<qsizetype>(type.size()));
}

} // namespace

void ClipboardPasteboard::setContents(std::vector<std::pair<std::string, std::string>> items) {
    auto* data = new QMimeData;
    for (const auto& [type, bytes] : items) {
        const QByteArray payload(bytes.data(), static_cast<qsizetype>(bytes.size()));
        if (type == kPlainTextType)
            data->setText(QString::fromUtf8(payload));
        else
            data->setData(mimeTypeOf(type), payload);
    }
    QGuiApplication::clipboard()->setMimeData(data);
}

std::optional<std::string> ClipboardPasteboard::dataForType(std::string_view type) const {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (data == nullptr)
        return std::nullopt;
    if (type == kPlainTextType) {
        if (!data->hasText())
            return std::nullopt;
        return data->text().toStdString();
    }
    const QString mime = mimeTypeOf(type);
    if (!data->hasFormat(mime))
        return std::nullopt;
    const QByteArray bytes = data->data(mime);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

} // namespace mapolt
