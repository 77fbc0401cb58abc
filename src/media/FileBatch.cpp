// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/FileBatch.h"

#include <QSaveFile>
#include <algorithm>
#include <unistd.h>

FileBatch::FileBatch() = default;

FileBatch::~FileBatch() = default;

void FileBatch::add(std::unique_ptr<QSaveFile> file)
{
    m_files.push_back(std::move(file));
}

bool FileBatch::contains(const QString& path) const
{
    return std::any_of(m_files.begin(), m_files.end(),
                       [&](const auto& file) { return file->fileName() == path; });
}

int FileBatch::commit()
{
    // One sync writes every file's data and the journal once; where it
    // fails, each file is synced on its own, and a file that cannot be is
    // not named (its own commit does not say when its sync failed).
    const bool synced = m_files.empty() || ::syncfs(m_files.front()->handle()) == 0;
    int named = 0;
    for (const auto& file : m_files) {
        if ((!synced && ::fdatasync(file->handle()) != 0) || !file->commit())
            break;
        ++named;
    }
    m_files.clear();
    return named;
}
