#include "person_message.h"

#include <spawn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace pellumo {
namespace {

bool ShowInBox(const std::vector<std::string>& command) {
    std::vector<char*> arguments;
    for (const std::string& argument : command) arguments.push_back(const_cast<char*>(argument.c_str()));
    arguments.push_back(nullptr);
    pid_t pid = 0;
    return ::posix_spawnp(&pid, arguments[0], nullptr, nullptr, arguments.data(), environ) == 0;
}

}  // namespace

void TellPerson(const std::string& message) {
    std::fprintf(stderr, "pellumo: %s\n", message.c_str());
    if (::isatty(STDERR_FILENO) || (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr))
        return;
    const std::vector<std::vector<std::string>> tools = {
        {"zenity", "--error", "--no-markup", "--title=Pellumo", "--text=" + message},
        {"kdialog", "--title", "Pellumo", "--error", message},
        {"xmessage", "-title", "Pellumo", "-center", message},
    };
    for (const std::vector<std::string>& tool : tools)
        if (ShowInBox(tool)) return;
}

}  // namespace pellumo
