#include "platform/records.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/host.h"

int32_t gameflag[kRecordSize];
int32_t gameflag2[kRecordSize];
int32_t g_DebugDisp;

namespace {

constexpr int kRecordBytes = kRecordSize * 4;

void Encode(const int32_t* record, unsigned char* bytes) {
    for (int i = 0; i < kRecordSize; i++) {
        uint32_t v = static_cast<uint32_t>(record[i]);
        for (int b = 0; b < 4; b++) bytes[i * 4 + b] = static_cast<unsigned char>(v >> (8 * b));
    }
}

void Decode(const unsigned char* bytes, int32_t* record) {
    for (int i = 0; i < kRecordSize; i++) {
        uint32_t v = 0;
        for (int b = 0; b < 4; b++) v |= static_cast<uint32_t>(bytes[i * 4 + b]) << (8 * b);
        record[i] = static_cast<int32_t>(v);
    }
}

// A short file overwrites only the bytes it holds, as if read straight into
// the record's memory, so a partial last integer keeps its upper bytes.
int LoadRecord(const char* path, int32_t* record) {
    FILE* f = std::fopen(path, "rb");
    if (!f) return -1;
    unsigned char bytes[kRecordBytes];
    Encode(record, bytes);
    size_t got = std::fread(bytes, 1, sizeof bytes, f);
    std::fclose(f);
    if (got > 0) Decode(bytes, record);
    return 0;
}

void MakeParentFolders(const std::string& path) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        std::string dir = path.substr(0, slash);
        if (mkdir(dir.c_str(), 0777) != 0 && errno != EEXIST) return;
    }
}

// A save follows a symbolic link to the file it names: players keep saves in
// a synced folder that way, and the link has to stay a link.
std::string FollowLinks(std::string path) {
    for (int hops = 0; hops < 40; hops++) {
        char link[4096];
        ssize_t n = readlink(path.c_str(), link, sizeof link - 1);
        if (n <= 0) break;
        std::string to(link, static_cast<size_t>(n));
        size_t slash = path.rfind('/');
        path = to[0] == '/' || slash == std::string::npos ? to : path.substr(0, slash + 1) + to;
    }
    return path;
}

bool WriteAll(int fd, const void* buffer, size_t size) {
    const char* p = static_cast<const char*>(buffer);
    while (size > 0) {
        ssize_t n = write(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Over the old bytes, then cut to length: a crash in between can tear the
// file, so this is only for files that cannot be replaced by a renamed one.
int SaveInPlace(const std::string& path, const void* buffer, size_t size) {
    int fd = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);  // a pipe nobody reads fails, not hangs
    if (fd < 0) return -1;
    struct stat st;
    bool regular = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    bool ok = WriteAll(fd, buffer, size);
    if (regular) ok = ok && ftruncate(fd, static_cast<off_t>(size)) == 0 && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    return ok ? 0 : -1;
}

// A save goes to a fresh temporary file beside the target and is renamed
// over it only when every byte reached the disk, so a crash mid-save leaves
// either the old file or the new one, never a torn one.
int WriteSave(const char* path, const void* buffer, int size) {
    if (size < 0) return -1;
    std::string target = FollowLinks(path);
    MakeParentFolders(target);
    struct stat old;
    bool exists = stat(target.c_str(), &old) == 0;
    // A device or a pipe is written, not replaced (think of /dev/null).
    if (exists && !S_ISREG(old.st_mode)) return SaveInPlace(target, buffer, static_cast<size_t>(size));
    // A file the player made read-only stays as it is. (Opening it to write
    // asks as the player would, and works in the browser's file system too.)
    if (exists) {
        int probe = open(target.c_str(), O_WRONLY | O_CLOEXEC);
        if (probe < 0) return -1;
        close(probe);
    }

    size_t cut = target.rfind('/') + 1;  // 0 when there is no folder part
    std::string folder = cut ? target.substr(0, cut) : ".";
    std::string temp = target.substr(0, cut) + "." + target.substr(cut) + ".XXXXXX";
    int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        // A folder that takes no new files (a shared install, a read-only
        // parent) may still hold a writable save; writing it in place risks
        // a torn file if the game dies mid-write, not saving loses it surely.
        return exists ? SaveInPlace(target, buffer, static_cast<size_t>(size)) : -1;
    }
    mode_t mask = umask(0);
    umask(mask);
    // A new save stays the game's to rewrite, whatever the umask says (the
    // browser's file system starts with one that allows nothing).
    bool ok = fchmod(fd, exists ? old.st_mode & 07777 : (0666 & ~mask) | S_IRUSR | S_IWUSR) == 0;
    // Root saving a player's file gives it back to the player.
    if (exists && geteuid() == 0) ok = fchown(fd, old.st_uid, old.st_gid) == 0 && ok;
    ok = WriteAll(fd, buffer, static_cast<size_t>(size)) && ok;
    ok = fsync(fd) == 0 && ok;
    ok = close(fd) == 0 && ok;
    if (!ok || std::rename(temp.c_str(), target.c_str()) != 0) {
        unlink(temp.c_str());
        return -1;
    }
    // The rename itself lasts only once the folder is on disk; a folder that
    // cannot be synced changes nothing about the file already in place.
    int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);
        close(dir);
    }
    return 0;
}

}  // namespace

// Whichever way the bytes reached the file, the host learns of it: the
// browser then stores the records where a reload finds them.
int SaveFile(const char* path, const void* buffer, int size) {
    int result = WriteSave(path, buffer, size);
    if (result == 0) g_host.recordsWritten();
    return result;
}

static int SaveRecord(const char* path, const int32_t* record) {
    unsigned char bytes[kRecordBytes];
    Encode(record, bytes);
    return SaveFile(path, bytes, kRecordBytes);
}

void ResetGameFlag() { std::memset(gameflag, 0, sizeof gameflag); }
int LoadGameFlag(const char* path) { return LoadRecord(path, gameflag); }
int SaveGameFlag(const char* path) { return SaveRecord(path, gameflag); }

void ResetGameFlag2() { std::memset(gameflag2, 0, sizeof gameflag2); }
int LoadGameFlag2(const char* path) { return LoadRecord(path, gameflag2); }
int SaveGameFlag2(const char* path) { return SaveRecord(path, gameflag2); }

int GetConfig(const char* path, const char* key) {
    FILE* f = std::fopen(path, "r");
    if (!f) return 0;
    char line[256];
    int result = 0;
    while (std::fgets(line, sizeof line, f)) {
        if (!std::strstr(line, key)) continue;
        const char* eq = std::strchr(line, '=');
        if (eq) {
            for (const char* c = eq + 1; *c >= '0' && *c <= '9'; c++) {
                int digit = *c - '0';
                // The digits are unbounded in the file; stop at the largest int.
                result = result > (INT32_MAX - digit) / 10 ? INT32_MAX : result * 10 + digit;
            }
        }
        break;
    }
    std::fclose(f);
    return result;
}

static void StoreDefaults() {
    ResetGameFlag();
    static const int32_t keys[] = {0, 4, 2, 6, 12, 15, 14, 13, 10, 11, 8, 9};  // from GF_KEY_UP
    for (int i = 0; i < 12; i++) gameflag[GF_KEY_UP + i] = keys[i];
    gameflag[GF_VOLUME] = 128;
    gameflag[GF_NEW_GAME] = 1;
    gameflag[GF_STAGE_DONE] = 1;
    gameflag[GF_RESERVED_111] = 59;
    gameflag[GF_RESERVED_111 + 1] = 59;
    gameflag[GF_RESERVED_111 + 2] = 99;
    gameflag[GF_START_STAGE] = 1;
    gameflag[GF_STAGE_LIMIT] = 1;
    gameflag[GF_CONTINUE_STAGE] = -1;
    gameflag[GF_RESERVED_137] = 1595959;
    gameflag[GF_RESERVED_138] = 999;
    for (int i = GF_RESERVED_TABLE; i < GF_RESERVED_TABLE + 100; i++) gameflag[i] = 1105959;
    for (int i = GF_STAGE_BEST; i < GF_STAGE_BEST + 100; i++) gameflag[i] = 99;
}

void main_init_config() {
    if (LoadGameFlag("save/config") == -1) StoreDefaults();
    gameflag[GF_STAGE_LIMIT] = 50;
    gameflag[GF_STARTED] = 1;
    g_DebugDisp = GetConfig("debug.txt", "DebugDisp");
}
