#include "interchange/mail_launcher.h"

#include <cerrno>
#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

namespace mapolt {

std::string XdgEmailLauncher::recipient(const std::string& name, const std::string& email) {
    const bool plain = !name.empty() && name.front() != '-' &&
                       name.find_first_of("\"\\<>,;:@()[]") == std::string::npos;
    std::string shown = name;
    if (!plain) {
        shown = "\"";
        for (const char c : name) {
            if (c == '"' || c == '\\')
                shown += '\\';
            shown += c;
        }
        shown += '"';
    }
    return shown + " <" + email + ">";
}

std::vector<std::string> XdgEmailLauncher::arguments(const std::string& subject,
                                                     const std::string& recipientName,
                                                     const std::string& recipientEmail,
                                                     const std::filesystem::path& attachment) {
    std::vector<std::string> args{"--subject", subject, "--attach", attachment.string()};
    if (!recipientEmail.empty())
        args.push_back(recipient(recipientName, recipientEmail));
    return args;
}

bool XdgEmailLauncher::composeMessage(const std::string& subject, const std::string& recipientName,
                                      const std::string& recipientEmail,
                                      const std::filesystem::path& attachment) {
    std::vector<std::string> args = arguments(subject, recipientName, recipientEmail, attachment);
    args.insert(args.begin(), program_);
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    // Two forks: the mail program is nobody's child here, so it neither blocks the planner
    // nor stays behind as a zombie.
    const pid_t child = fork();
    if (child < 0)
        return false;
    if (child == 0) {
        if (fork() == 0) {
            setsid();
            execvp(argv[0], argv.data());
            _exit(127);
        }
        _exit(0);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0)
        if (errno != EINTR)
            return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::filesystem::path mailFolder() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data != nullptr && data[0] == '/')
        return std::filesystem::path(data) / "Mapolt";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home != nullptr ? home : "") / ".local" / "share" / "Mapolt";
}

} // namespace mapolt
