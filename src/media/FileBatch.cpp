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
    // One sync writes every file's data and the journal once; a failure here
    // is left to each file's own sync below, which names no file it cannot
    // bring to the disk.
    if (!m_files.empty())
        ::syncfs(m_files.front()->handle());
    int named = 0;
    for (const auto& file : m_files) {
        if (!file->commit())
            break;
        ++named;
    }
    m_files.clear();
    return named;
}
