#include "platform/private_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace private_file
{
namespace
{

std::string Failure(const char *what, const std::string &path)
{
    return what + path + ": " + std::strerror(errno);
}

// Why the opened file must not be used, empty when it may.
std::string Unsafe(int fd, const std::string &path)
{
    struct stat status {};
    if (fstat(fd, &status) != 0)
        return Failure("Cannot read ", path);
    if (!S_ISREG(status.st_mode))
        return path + " is not a file";
    if (status.st_uid != geteuid())
        return path + " belongs to another user: it is not used";
    if (status.st_mode & (S_IRGRP | S_IROTH))
        return path + " can be read by other users: it is not used until only you can read it (chmod 600 " +
               path + ")";
    return {};
}

bool ReadAll(int fd, std::string &bytes)
{
    char chunk[4096];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return got == 0;
        bytes.append(chunk, size_t(got));
    }
}

bool WriteAll(int fd, const std::string &bytes)
{
    for (size_t done = 0; done < bytes.size();) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += size_t(written);
    }
    return ::fsync(fd) == 0;
}

} // namespace

std::optional<std::string> Read(const std::string &path, std::string &error)
{
    error.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        if (errno != ENOENT)
            error = Failure("Cannot read ", path);
        return std::nullopt;
    }
    std::string bytes;
    error = Unsafe(fd, path);
    if (error.empty() && !ReadAll(fd, bytes))
        error = Failure("Cannot read ", path);
    ::close(fd);
    if (!error.empty())
        return std::nullopt;
    return bytes;
}

bool Write(const std::string &path, const std::string &bytes, std::string &error)
{
    // mkstemp makes the file for its owner alone before anything is written.
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        error = Failure("Cannot write ", path);
        return false;
    }
    bool done = ::fchmod(fd, S_IRUSR | S_IWUSR) == 0 && WriteAll(fd, bytes);
    done = ::close(fd) == 0 && done;
    done = done && ::rename(temporary.c_str(), path.c_str()) == 0;
    if (!done) {
        error = Failure("Cannot write ", path);
        ::unlink(temporary.c_str());
    }
    return done;
}

} // namespace private_file
