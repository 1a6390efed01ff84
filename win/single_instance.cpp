#include "win/single_instance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "win/window_internal.h"

namespace win {
namespace {

int theLockFd = -1;
int theListenFd = -1;
std::chrono::steady_clock::time_point theLastLook;  // when the loop last looked for a caller
bool theSecond = false;
std::string theSocketName;
int theFrontServed = 0;
std::string theLockProblem;
std::string theLockPath;

// Why the lock file could not be made or locked, in the user's words; empty for a folder that
// cannot be written at all.
std::string LockProblem(const std::string& path, int error) {
    switch (error) {
        case EACCES:
        case EPERM:
        case EROFS:
            return {};
        case EISDIR:
            return path + ": a folder has that name";
        case ENXIO:
        case ENODEV:
        case ETXTBSY:
            return path + ": it is not a plain file (a device or a pipe has that name)";
        default:
            return path + ": " + std::strerror(error);
    }
}

std::string SocketNameFor(const std::string& folder) {
    char resolved[PATH_MAX];
    std::string path = realpath(folder.c_str(), resolved) != nullptr ? resolved : folder;
    std::uint64_t h = 1469598103934665603ull;  // FNV-1a
    for (unsigned char c : path) {
        h ^= c;
        h *= 1099511628211ull;
    }
    char name[64];
    std::snprintf(name, sizeof name, "zephlon-%016llx", static_cast<unsigned long long>(h));
    return name;
}

sockaddr_un AddressOf(const std::string& name, socklen_t* length) {
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    // An abstract name (leading NUL): no file to clean up, no path-length limit on the folder.
    std::memcpy(a.sun_path + 1, name.data(), std::min(name.size(), sizeof(a.sun_path) - 2));
    *length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    return a;
}

bool ReadLine(int fd, std::string* line, int timeoutMs) {
    line->clear();
    char c;
    while (line->size() < 256) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, timeoutMs) <= 0) return false;
        ssize_t n = read(fd, &c, 1);
        if (n <= 0) return false;
        if (c == '\n') return true;
        line->push_back(c);
    }
    return false;
}

// The other copy may have gone before its answer is written (it waits only so long): a closed
// socket must fail the write, not end this copy with SIGPIPE.
void WriteAll(int fd, const std::string& s) {
    std::size_t done = 0;
    while (done < s.size()) {
        ssize_t n = send(fd, s.data() + done, s.size() - done, MSG_NOSIGNAL);
        if (n <= 0) return;
        done += static_cast<std::size_t>(n);
    }
}

HWND FrontTarget() {
    HWND main = GetDisplayWindow();
    return main ? GetLastActivePopup(main) : HWND{};
}

std::string Answer(const std::string& request) {
    if (request.rfind("find ", 0) == 0) {
        std::string cls = request.substr(5);
        for (HWND h : detail::S().topLevel)
            if (cls.empty() || detail::Find(h) != nullptr) {
                std::string name = GetClassName(h);
                for (char& ch : name)
                    ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
                if (cls.empty() || name == cls) return "yes";
            }
        return "no";
    }
    HWND target = FrontTarget();
    if (!target) return "no";
    if (request == "iconic") return IsIconic(GetDisplayWindow()) ? "yes" : "no";
    if (request == "restore" || request == "front") {
        ++theFrontServed;
        HWND main = GetDisplayWindow();
        BringWindowToTop(main);
        if (request == "restore" && IsIconic(main)) SendMessage(main, WM_SYSCOMMAND, SC_RESTORE, 0);
        SetForegroundWindow(target);
        return "yes";
    }
    return "no";
}

}  // namespace

InstanceRole ClaimSingleInstance(const std::string& folder) {
    ReleaseSingleInstance();
    theLockProblem.clear();
    std::string lockPath = folder + "/.zephlon.lock";
    theLockPath = lockPath;
    // Never blocks on a pipe of that name, and takes no device for the lock.
    theLockFd = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0644);
    if (theLockFd < 0) {
        theLockProblem = LockProblem(lockPath, errno);
        return InstanceRole::Unavailable;
    }
    struct stat info {};
    if (fstat(theLockFd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(theLockFd);
        theLockFd = -1;
        theLockProblem = LockProblem(lockPath, ENXIO);
        return InstanceRole::Unavailable;
    }
    theSocketName = SocketNameFor(folder);
    if (flock(theLockFd, LOCK_EX | LOCK_NB) != 0) {
        // Only a lock another copy holds says that one runs; a file system without locks says
        // nothing of the kind.
        if (errno != EWOULDBLOCK) {
            theLockProblem = LockProblem(lockPath, errno);
            close(theLockFd);
            theLockFd = -1;
            return InstanceRole::Unavailable;
        }
        theSecond = true;
        return InstanceRole::Second;
    }
    theListenFd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (theListenFd >= 0) {
        socklen_t len = 0;
        sockaddr_un a = AddressOf(theSocketName, &len);
        if (bind(theListenFd, reinterpret_cast<sockaddr*>(&a), len) != 0 ||
            listen(theListenFd, 4) != 0) {
            close(theListenFd);
            theListenFd = -1;
        }
    }
    return InstanceRole::First;
}

void ReleaseSingleInstance() {
    if (theListenFd >= 0) close(theListenFd);
    if (theLockFd >= 0) close(theLockFd);
    theListenFd = theLockFd = -1;
    theSecond = false;
}

void NoteLockHeldByAnotherProgram() {
    if (!theSecond) return;
    theSecond = false;
    theLockProblem = theLockPath + ": another program holds it";
}

std::string SingleInstanceLockProblem() {
    return theLockProblem;
}

int FrontRequestsServed() {
    return theFrontServed;
}

namespace detail {

void ServiceSingleInstance() {
    if (theListenFd < 0) return;
    // A look for a waiting caller costs far less than a failed accept, which makes and drops a
    // socket; the loop asks at most every 20 ms, well within the caller's patience.
    const auto now = std::chrono::steady_clock::now();
    if (now - theLastLook < std::chrono::milliseconds(20)) return;
    theLastLook = now;
    pollfd waiting{theListenFd, POLLIN, 0};
    if (poll(&waiting, 1, 0) <= 0) return;
    for (;;) {
        int fd = accept4(theListenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) return;
        std::string request;
        if (ReadLine(fd, &request, 500)) WriteAll(fd, Answer(request) + "\n");
        close(fd);
    }
}

bool RemoteRequest(const std::string& request) {
    if (!theSecond) return false;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    socklen_t len = 0;
    sockaddr_un a = AddressOf(theSocketName, &len);
    bool ok = false;
    if (connect(fd, reinterpret_cast<sockaddr*>(&a), len) == 0) {
        WriteAll(fd, request + "\n");
        std::string reply;
        ok = ReadLine(fd, &reply, 2000) && reply == "yes";
    }
    close(fd);
    return ok;
}

}  // namespace detail
}  // namespace win
