#include "app/recovery_store.h"

#include "app/document_bridge.h"
#include "document/atomic_file_writer.h"
#include "document/kestil_planner_document.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <cerrno>
#include <csignal>
#include <string>

namespace mapolt {

namespace {

constexpr char kPlanSuffix[] = ".mapolt";
constexpr char kNoteSuffix[] = ".note";

bool processIsAlive(qint64 pid) {
    if (pid <= 0)
        return false;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

} // namespace

RecoveryStore::RecoveryStore(QString folder) : folder_(std::move(folder)) {}

QString RecoveryStore::defaultFolder() {
    const QString data =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Mapolt";
    return data + "/recovery";
}

QString RecoveryStore::planPath(const QString& key) const {
    return folder_ + '/' + key + kPlanSuffix;
}

QString RecoveryStore::notePath(const QString& key) const {
    return folder_ + '/' + key + kNoteSuffix;
}

bool RecoveryStore::save(DocumentBridge& bridge, const QString& key, QString& error) {
    if (!QDir().mkpath(folder_)) {
        error = QStringLiteral("cannot make the folder \"%1\"").arg(folder_);
        return false;
    }
    std::string reason;
    if (!writeFileAtomically(planPath(key).toStdString(), bridge.document().dataOfType(), reason)) {
        error = QString::fromStdString(reason);
        return false;
    }
    QSettings note(notePath(key), QSettings::IniFormat);
    note.setValue(QStringLiteral("recovery/pid"), QCoreApplication::applicationPid());
    note.setValue(QStringLiteral("recovery/original"), bridge.filePath());
    note.setValue(QStringLiteral("recovery/name"), bridge.displayName());
    note.sync();
    if (note.status() != QSettings::NoError) {
        error = QStringLiteral("cannot write \"%1\"").arg(notePath(key));
        return false;
    }
    return true;
}

void RecoveryStore::remove(const QString& key) {
    QFile::remove(planPath(key));
    QFile::remove(notePath(key));
}

std::vector<RecoveryStore::Copy> RecoveryStore::orphans() const {
    std::vector<Copy> out;
    const QDir dir(folder_);
    for (const QFileInfo& note : dir.entryInfoList({QStringLiteral("*.note")}, QDir::Files)) {
        const QSettings read(note.filePath(), QSettings::IniFormat);
        if (processIsAlive(read.value(QStringLiteral("recovery/pid")).toLongLong()))
            continue;
        Copy copy;
        copy.notePath = note.filePath();
        copy.planPath = dir.filePath(note.completeBaseName() + kPlanSuffix);
        copy.originalPath = read.value(QStringLiteral("recovery/original")).toString();
        copy.displayName = read.value(QStringLiteral("recovery/name")).toString();
        if (QFileInfo::exists(copy.planPath))
            out.push_back(copy);
    }
    return out;
}

void RecoveryStore::discard(const Copy& copy) {
    QFile::remove(copy.planPath);
    QFile::remove(copy.notePath);
}

} // namespace mapolt
