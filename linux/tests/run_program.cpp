#include "run_program.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

constexpr uid_t kNobody = 65534;

std::string Slurp(const std::string& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// In the child, before exec: where its output goes and who it runs as.
void PrepareChild(const std::string& in, const std::string& out, const std::string& err,
                  const RunSettings& settings) {
    dup2(open(in.c_str(), O_RDONLY), STDIN_FILENO);
    dup2(open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDOUT_FILENO);
    dup2(open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDERR_FILENO);
    setenv("LC_ALL", settings.locale.c_str(), 1);
    for (const auto& [name, value] : settings.env) setenv(name.c_str(), value.c_str(), 1);
    if (settings.asNobody &&
        (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)) {
        _exit(126);
    }
}

}  // namespace

RunSettings WithInput(std::string input) {
    RunSettings settings;
    settings.input = std::move(input);
    return settings;
}

RunSettings InLocale(std::string locale) {
    RunSettings settings;
    settings.locale = std::move(locale);
    return settings;
}

Finished RunProgram(const std::vector<std::string>& args, const RunSettings& settings) {
    char dir[] = "/tmp/cli-run-test.XXXXXX";
    if (mkdtemp(dir) == nullptr) return {};
    const std::string in = std::string(dir) + "/in", out = std::string(dir) + "/out",
                      err = std::string(dir) + "/err";
    std::ofstream(in) << settings.input;
    const pid_t child = fork();
    if (child == 0) {
        PrepareChild(in, out, err, settings);
        std::vector<char*> argv{const_cast<char*>(MODEMSWITCH_PROGRAM)};
        for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    Finished finished{WIFEXITED(status) ? WEXITSTATUS(status) : -1, Slurp(out), Slurp(err)};
    for (const std::string& file : {in, out, err}) unlink(file.c_str());
    rmdir(dir);
    return finished;
}

std::string PortPath(int com) {
    return std::string(std::getenv("MODEMSIM_PREFIX")) + "/dosdevices/com" + std::to_string(com);
}
