#include "TestSupport.h"

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <cstdlib>
#include <sys/resource.h>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace qm::test {

TempDir::TempDir(const std::string& tag)
{
    std::string templ = (fs::temp_directory_path() / (tag + "-XXXXXX")).string();
    std::vector<char> buf(templ.begin(), templ.end());
    buf.push_back('\0');
    if (!mkdtemp(buf.data()))
        throw std::runtime_error("mkdtemp failed");
    path_ = buf.data();
}

TempDir::~TempDir()
{
    std::error_code ec;
    // Make everything writable first so read-only test files go too.
    for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (!it->is_symlink())
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::remove_all(path_, ec);
}

ScopedEnv::ScopedEnv(std::string name, std::optional<std::string> value) : name_(std::move(name))
{
    if (const char* v = std::getenv(name_.c_str()))
        old_ = v;
    if (value)
        setenv(name_.c_str(), value->c_str(), 1);
    else
        unsetenv(name_.c_str());
}

ScopedEnv::~ScopedEnv()
{
    if (old_)
        setenv(name_.c_str(), old_->c_str(), 1);
    else
        unsetenv(name_.c_str());
}

int rtErrorNumber(const std::function<void()>& f)
{
    try {
        f();
    } catch (const qm::RtError& e) {
        return e.number;
    }
    return 0;
}

FileSizeLimit::FileSizeLimit(unsigned long bytes)
{
    rlimit limit{};
    if (getrlimit(RLIMIT_FSIZE, &limit) != 0)
        throw std::runtime_error("getrlimit failed");
    oldCur_ = limit.rlim_cur;
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    limit.rlim_cur = bytes;
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
        throw std::runtime_error("setrlimit failed");
}

FileSizeLimit::~FileSizeLimit()
{
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = oldCur_;
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, oldHandler_);
}

std::string readFile(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void writeFile(const fs::path& p, const std::string& bytes)
{
    if (p.has_parent_path())
        fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << bytes;
}

fs::path programDir()
{
    if (const char* v = std::getenv("QM_PROGRAM_DIR"))
        return v;
    return QM_PROGRAM_DIR;
}

fs::path sourceDir()
{
    if (const char* v = std::getenv("QM_SOURCE_DIR"))
        return v;
    return QM_SOURCE_DIR;
}

int runCommand(const std::vector<std::string>& argv, std::string* output)
{
    int fds[2];
    if (pipe(fds) != 0)
        return -1;
    pid_t pid = fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        dup2(fds[1], 1);
        if (!output)
            dup2(fds[1], 2);
        close(fds[0]);
        close(fds[1]);
        std::vector<char*> args;
        for (const auto& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    close(fds[1]);
    std::string out;
    char buf[4096];
    ssize_t n;
    while ((n = read(fds[0], buf, sizeof buf)) > 0)
        out.append(buf, static_cast<size_t>(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (output)
        *output = out;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

BackgroundProgram::BackgroundProgram(const std::vector<std::string>& argv, bool talk)
{
    int in[2] = {-1, -1}, out[2] = {-1, -1};
    if (talk && (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0))
        return;
    pid_ = fork();
    if (pid_ == 0) {
        int null = open("/dev/null", O_RDWR);
        dup2(talk ? in[0] : null, 0);
        dup2(talk ? out[1] : null, 1);
        if (!talk)
            dup2(null, 2);
        std::vector<char*> args;
        for (const auto& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    if (talk) {
        close(in[0]);
        close(out[1]);
        input_ = fdopen(in[1], "w");
        output_ = fdopen(out[0], "r");
    }
}

BackgroundProgram::~BackgroundProgram()
{
    kill();
    for (FILE* f : {input_, output_})
        if (f)
            fclose(f);
}

std::optional<std::string> BackgroundProgram::line()
{
    char text[4096];
    if (!output_ || !fgets(text, sizeof text, output_))
        return std::nullopt;
    const std::string got = text;
    return got.ends_with('\n') ? got.substr(0, got.size() - 1) : got;
}

void BackgroundProgram::say(const std::string& text)
{
    fprintf(input_, "%s\n", text.c_str());
    fflush(input_);
}

bool BackgroundProgram::kill()
{
    if (pid_ <= 0)
        return false;
    // Reaped first when it has ended, so that the signal never reaches another process.
    const bool running = waitpid(pid_, &status_, WNOHANG) == 0;
    if (running) {
        ::kill(pid_, SIGKILL);
        waitpid(pid_, &status_, 0);
    }
    pid_ = -1;
    return running;
}

int BackgroundProgram::wait()
{
    if (input_)
        fclose(std::exchange(input_, nullptr));
    if (pid_ > 0) {
        waitpid(pid_, &status_, 0);
        pid_ = -1;
    }
    return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
}

bool eventually(const std::function<bool()>& done, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return done();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

void writeProgramUntilReleased(const fs::path& program, const fs::path& release, const std::string& first,
                               const std::string& last)
{
    const long rounds = long(std::chrono::milliseconds(EventLimit).count() / 20);
    writeFile(program, "#!/bin/sh\n" + first + "\nn=0\nwhile [ ! -e '" + release.string() + "' ] && [ $n -lt " +
                           std::to_string(rounds) + " ]; do /bin/sleep 0.02; n=$((n + 1)); done\n" + last +
                           "\nexit 0\n");
    fs::permissions(program, fs::perms::owner_all);
}

bool haveProgram(const std::string& name)
{
    const char* path = std::getenv("PATH");
    if (!path)
        return false;
    std::stringstream ss(path);
    std::string dir;
    while (std::getline(ss, dir, ':')) {
        if (!dir.empty() && access((fs::path(dir) / name).c_str(), X_OK) == 0)
            return true;
    }
    return false;
}

int temporaries(const std::filesystem::path& folder)
{
    int n = 0;
    for (const auto& e : std::filesystem::directory_iterator(folder)) {
        const std::string name = e.path().filename().string();
        n += name.front() == '.' && name.size() > 4 && name.compare(name.size() - 4, 4, ".tmp") == 0;
    }
    return n;
}

} // namespace qm::test
