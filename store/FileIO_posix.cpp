#include "FileIO.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace qm::fileio {

namespace {

std::runtime_error systemError(const std::string& path, int err)
{
    return std::runtime_error(path + ": " + std::strerror(err));
}

// Closes on every path out, so a failure never leaves a file open.
struct Fd {
    int fd;
    ~Fd() { if (fd >= 0) ::close(fd); }
};

void writeFileSynced(const std::string& path, const std::string& bytes)
{
    Fd f{::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644)};
    if (f.fd < 0)
        throw systemError(path, errno);
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(f.fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw systemError(path, errno);
        }
        done += static_cast<size_t>(n);
    }
    if (::fsync(f.fd) != 0)
        throw systemError(path, errno);
    int fd = f.fd;
    f.fd = -1;
    if (::close(fd) != 0)
        throw systemError(path, errno);
}

} // namespace

std::string readAll(const std::string& path)
{
    Fd f{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
    if (f.fd < 0)
        throw systemError(path, errno);
    struct stat st {};
    if (::fstat(f.fd, &st) == 0 && S_ISDIR(st.st_mode))
        throw systemError(path, EISDIR);
    std::string out;
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(f.fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw systemError(path, errno);
        }
        if (n == 0)
            break;
        out.append(buf, static_cast<size_t>(n));
    }
    return out;
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

void replaceAll(const std::vector<Replacement>& files)
{
    std::vector<std::string> temps;
    auto discard = [&] { for (const auto& t : temps) ::unlink(t.c_str()); };
    try {
        for (const auto& f : files) {
            temps.push_back(f.path + ".tmp");
            writeFileSynced(temps.back(), f.bytes);
        }
    } catch (const std::runtime_error&) {
        discard();
        throw;
    }
    for (size_t i = 0; i < files.size(); ++i) {
        if (::rename(temps[i].c_str(), files[i].path.c_str()) != 0) {
            int err = errno;
            for (size_t j = i; j < temps.size(); ++j)
                ::unlink(temps[j].c_str());
            throw systemError(files[i].path, err);
        }
    }
}

std::string joinPath(const std::string& dir, const std::string& name)
{
    if (!dir.empty() && dir.back() == '/')
        return dir + name;
    return dir + "/" + name;
}

} // namespace qm::fileio
