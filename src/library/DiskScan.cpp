// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/DiskScan.h"

#include "library/RecordingsDBReader.h"

#include <QFile>
#include <QFileInfo>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>

namespace {

struct DirCloser
{
    void operator()(DIR* dir) const { closedir(dir); }
};

// Reads the folder entries directly: the type comes with each name, so only
// recording files need a stat of their own (for their size).
void scanFolder(const QByteArray& root, const QString& relative, int depth, DiskScan& scan)
{
    const std::unique_ptr<DIR, DirCloser> dir(
        opendir((root + QFile::encodeName(relative)).constData()));
    if (!dir)
        return;
    const int fd = dirfd(dir.get());
    while (const dirent* entry = readdir(dir.get())) {
        if (entry->d_name[0] == '.')
            continue;
        const size_t length = std::strlen(entry->d_name);
        unsigned char type = entry->d_type;
        const bool recording = length > 4 && std::strcmp(entry->d_name + length - 4, ".m4a") == 0;
        struct stat st = {};
        if (type == DT_UNKNOWN || (type == DT_REG && recording)) {
            if (fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_LNK;
        }
        if (type == DT_DIR) {
            const QString path = relative + "/" + QFile::decodeName(entry->d_name);
            scan.folders.insert(path);
            if (depth < RecordingsDBReader::kMaxDepth)
                scanFolder(root, path, depth + 1, scan);
        } else if (type == DT_REG && recording) {
            scan.files.insert(relative + "/" + QFile::decodeName(entry->d_name), st.st_size);
        }
    }
}

} // namespace

DiskScan DiskScan::of(const QString& outputFolder)
{
    DiskScan scan;
    scan.available = !outputFolder.isEmpty() && QFileInfo(outputFolder).isDir();
    if (scan.available)
        scanFolder(QFile::encodeName(outputFolder), QString(), 0, scan);
    return scan;
}
