#include "FileIO.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace qm::fileio {

namespace {

Error systemError(const std::string& path, int err) { return Error(path, std::strerror(err)); }

// Closes on every path out, so a failure never leaves a file open.
struct Fd {
    int fd;
    ~Fd() { if (fd >= 0) ::close(fd); }
};

Stamp stampFrom(const struct stat& st)
{
    Stamp s;
    s.exists = true;
    s.size = static_cast<uint64_t>(st.st_size);
    s.modified = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    s.fileId = static_cast<uint64_t>(st.st_ino);
    s.volume = static_cast<uint64_t>(st.st_dev);
    return s;
}

std::string notRegular(const struct stat& st)
{
    if (S_ISDIR(st.st_mode))
        return std::strerror(EISDIR);
    if (S_ISFIFO(st.st_mode))
        return "is a pipe, not a regular file";
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
        return "is a device, not a regular file";
    if (S_ISSOCK(st.st_mode))
        return "is a socket, not a regular file";
    return "is not a regular file";
}

void writeAll(int fd, const std::string& path, const char* data, size_t size)
{
    size_t done = 0;
    while (done < size) {
        ssize_t n = ::write(fd, data + done, size - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw systemError(path, errno);
        }
        done += static_cast<size_t>(n);
    }
}

void syncAndClose(Fd& f, const std::string& path)
{
    if (::fsync(f.fd) != 0)
        throw systemError(path, errno);
    int fd = f.fd;
    f.fd = -1;
    if (::close(fd) != 0)
        throw systemError(path, errno);
}

// Opens without waiting for a writer (a pipe) and refuses all but regular files.
int openRegular(const std::string& path, struct stat& st)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        throw systemError(path, errno);
    Fd f{fd};
    if (::fstat(fd, &st) != 0)
        throw systemError(path, errno);
    if (!S_ISREG(st.st_mode))
        throw Error(path, notRegular(st));
    f.fd = -1;
    return fd;
}

Error tooLarge(const std::string& path, uint64_t limit)
{
    return Error(path, "is larger than " + std::to_string(limit >> 20) + " MiB, too large for a word list");
}

// Hands each chunk of the file to `take`, to the end of the file.
template <class Take>
void readEach(int fd, const std::string& path, Take take)
{
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw systemError(path, errno);
        }
        if (n == 0)
            return;
        take(buf, static_cast<size_t>(n));
    }
}

} // namespace

ReadResult readRegular(const std::string& path, uint64_t limit)
{
    struct stat st {};
    Fd f{openRegular(path, st)};
    if (static_cast<uint64_t>(st.st_size) > limit)
        throw tooLarge(path, limit);
    ReadResult r;
    r.stamp = stampFrom(st);
    readEach(f.fd, path, [&](const char* bytes, size_t n) {
        r.bytes.append(bytes, n);
        // A file that keeps growing while it is read.
        if (r.bytes.size() > limit)
            throw tooLarge(path, limit);
    });
    return r;
}

Stamp stampOf(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return {};
    return stampFrom(st);
}

void createIfMissing(const std::string& path)
{
    Fd f{::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644)};
    if (f.fd >= 0)
        return;
    if (errno == EEXIST) {
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            throw systemError(path, EISDIR);
        return;
    }
    throw systemError(path, errno);
}

bool keepAs(const std::string& path, const std::string& backup)
{
    // A second name for the very file: no copy, and nothing to go wrong
    // half-way. A link to a symbolic link's target keeps the target's bytes.
    if (::linkat(AT_FDCWD, path.c_str(), AT_FDCWD, backup.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return true;
    if (errno == EEXIST)
        return false;
    // Another file system or one without hard links: copy the bytes.
    struct stat st {};
    Fd in{openRegular(path, st)};
    Fd out{::open(backup.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600)};
    if (out.fd < 0) {
        if (errno == EEXIST)
            return false;
        throw systemError(backup, errno);
    }
    try {
        readEach(in.fd, path, [&](const char* bytes, size_t n) { writeAll(out.fd, backup, bytes, n); });
        syncAndClose(out, backup);
    } catch (const Error&) {
        ::unlink(backup.c_str());
        throw;
    }
    return true;
}

std::string joinPath(const std::string& dir, const std::string& name)
{
    if (!dir.empty() && dir.back() == '/')
        return dir + name;
    return dir + "/" + name;
}

namespace sys {

std::string uniqueSuffix()
{
    static std::atomic<unsigned> counter{0};
    std::random_device rd;
    uint64_t v = (static_cast<uint64_t>(rd()) << 32) ^ rd() ^ static_cast<uint64_t>(::getpid()) << 16 ^
                 static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^ ++counter;
    char buf[17];
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(v));
    return buf;
}

std::string resolveTarget(const std::string& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    if (char* real = ::realpath(path.c_str(), nullptr)) {
        std::string out(real);
        std::free(real);
        return out;
    }
    if (errno != ENOENT)
        throw systemError(path, errno);
    // A link whose target is gone: the save makes the target anew where the
    // link points, so the link works again.
    std::string at = path;
    for (int hops = 0; hops < 40; ++hops) {
        char buf[PATH_MAX];
        ssize_t n = ::readlink(at.c_str(), buf, sizeof buf - 1);
        if (n < 0)
            return errno == EINVAL || errno == ENOENT ? at : throw systemError(path, errno);
        std::string target(buf, static_cast<size_t>(n));
        at = !target.empty() && target[0] == '/' ? target : sys::folderOf(at) + "/" + target;
    }
    throw systemError(path, ELOOP);
}

void writeNew(const std::string& path, const std::string& bytes)
{
    Fd f{::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644)};
    if (f.fd < 0)
        throw systemError(path, errno);
    try {
        writeAll(f.fd, path, bytes.data(), bytes.size());
        syncAndClose(f, path);
    } catch (const Error&) {
        ::unlink(path.c_str());
        throw;
    }
}

bool exists(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

void replace(const std::string& temp, const std::string& final, const std::string& keep)
{
    if (::link(final.c_str(), keep.c_str()) != 0 && errno != ENOENT) {
        // No hard links here: move the old file aside instead. The journal
        // puts the new one in place if the process dies in between.
        if (::rename(final.c_str(), keep.c_str()) != 0)
            throw systemError(final, errno);
    }
    if (::rename(temp.c_str(), final.c_str()) != 0)
        throw systemError(final, errno);
}

void restore(const std::string& keep, const std::string& final)
{
    if (::rename(keep.c_str(), final.c_str()) != 0)
        throw systemError(final, errno);
}

void remove(const std::string& path)
{
    if (::unlink(path.c_str()) != 0 && errno != ENOENT)
        throw systemError(path, errno);
}

void syncFolder(const std::string& folder)
{
    Fd f{::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (f.fd < 0)
        throw systemError(folder, errno);
    if (::fsync(f.fd) != 0 && errno != EINVAL)
        throw systemError(folder, errno);
}

std::string folderOf(const std::string& path)
{
    auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::vector<std::string> namesIn(const std::string& folder)
{
    std::vector<std::string> names;
    DIR* d = ::opendir(folder.c_str());
    if (!d)
        return names;
    while (const dirent* e = ::readdir(d))
        names.emplace_back(e->d_name);
    ::closedir(d);
    return names;
}

} // namespace sys

} // namespace qm::fileio
