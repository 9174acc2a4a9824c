#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace mapolt {

// Opens a new, unsent message in the user's mail program with a subject, one recipient and
// an attachment. The desktop uses xdg-email; tests record the calls.
class MailLauncher {
  public:
    virtual ~MailLauncher() = default;
    // False when the mail program could not be started.
    virtual bool composeMessage(const std::string& subject, const std::string& recipientName,
                                const std::string& recipientEmail,
                                const std::filesystem::path& attachment) = 0;
    // True when the mail program reads the attachment after composeMessage returned, so the
    // file has to stay where it is.
    virtual bool readsAttachmentLater() const = 0;
};

// Runs `xdg-email --subject SUBJECT --attach FILE "NAME <EMAIL>"` without a shell and without
// waiting for the mail program.
class XdgEmailLauncher final : public MailLauncher {
  public:
    explicit XdgEmailLauncher(std::string program = "xdg-email") : program_(std::move(program)) {}
    bool composeMessage(const std::string& subject, const std::string& recipientName,
                        const std::string& recipientEmail,
                        const std::filesystem::path& attachment) override;
    bool readsAttachmentLater() const override { return true; }

    // The arguments after the program name.
    static std::vector<std::string> arguments(const std::string& subject,
                                              const std::string& recipientName,
                                              const std::string& recipientEmail,
                                              const std::filesystem::path& attachment);
    // "NAME <EMAIL>"; a name with characters that mean something in an address (or that
    // starts with "-", which xdg-email would take for an option) is quoted.
    static std::string recipient(const std::string& name, const std::string& email);

  private:
    std::string program_;
};

// Where files handed to the mail program live: $XDG_DATA_HOME/Mapolt, else
// ~/.local/share/Mapolt.
std::filesystem::path mailFolder();

} // namespace mapolt
