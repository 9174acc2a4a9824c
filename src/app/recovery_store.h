#pragma once

#include <QString>

#include <vector>

namespace mapolt {

class DocumentBridge;

// Recovery copies of unsaved documents in the user's data folder, never beside or over the
// user's files. Each copy has a note of the file it stands for and the process that wrote
// it, so a copy left by a process that is gone is offered at the next start.
class RecoveryStore {
  public:
    struct Copy {
        QString planPath;
        QString notePath;
        // Empty for a document never saved.
        QString originalPath;
        QString displayName;
    };

    // The folder is made on first write; by default ~/.local/share/Mapolt/recovery.
    explicit RecoveryStore(QString folder = defaultFolder());
    static QString defaultFolder();
    const QString& folder() const { return folder_; }

    // Writes the document's copy atomically; false with `error` on failure (the previous
    // copy then stays).
    bool save(DocumentBridge& bridge, const QString& key, QString& error);
    void remove(const QString& key);
    // The copies whose writing process has ended.
    std::vector<Copy> orphans() const;
    void discard(const Copy& copy);

  private:
    QString planPath(const QString& key) const;
    QString notePath(const QString& key) const;
    QString folder_;
};

} // namespace mapolt
