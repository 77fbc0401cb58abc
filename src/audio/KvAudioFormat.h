// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QVariantMap>
#include <cstdint>

// An audio stream description and its dictionary form, in which a file
// format travels between the settings and the recorder.
struct KvAudioStreamBasicDescription
{
    double mSampleRate = 0.0;
    uint32_t mFormatID = 0;
    uint32_t mFormatFlags = 0;
    uint32_t mBytesPerPacket = 0;
    uint32_t mFramesPerPacket = 0;
    uint32_t mBytesPerFrame = 0;
    uint32_t mChannelsPerFrame = 0;
    uint32_t mBitsPerChannel = 0;

    bool operator==(const KvAudioStreamBasicDescription&) const = default;
};

inline const QString KvAudioStreamSampleRate = QStringLiteral("KvAudioStreamSampleRate");
inline const QString KvAudioStreamFormat = QStringLiteral("KvAudioStreamFormat");
inline const QString KvAudioStreamFormatFlags = QStringLiteral("KvAudioStreamFormatFlags");
inline const QString KvAudioStreamBytesPerPacket = QStringLiteral("KvAudioStreamBytesPerPacket");
inline const QString KvAudioStreamFramesPerPacket = QStringLiteral("KvAudioStreamFramesPerPacket");
inline const QString KvAudioStreamBytesPerFrame = QStringLiteral("KvAudioStreamBytesPerFrame");
inline const QString KvAudioStreamChannelsPerFrame =
    QStringLiteral("KvAudioStreamChannelsPerFrame");
inline const QString KvAudioStreamBitsPerChannel = QStringLiteral("KvAudioStreamBitsPerChannel");
inline const QString KvAudioOutputFileFormat = QStringLiteral("KvAudioOutputFileFormat");

constexpr uint32_t KvAudioFormatLinearPCM = 0x6C70636D; // 'lpcm'
constexpr uint32_t KvAudioFormatMPEG4AAC = 0x61616320;  // 'aac '
constexpr uint32_t KvAudioFileM4AType = 0x6D346166;     // 'm4af'
constexpr uint32_t KvAudioFileMPEG4Type = 0x6D703466;   // 'mp4f'
constexpr uint32_t KvAudioFormatFlagIsFloat = 1;
constexpr uint32_t KvAudioFormatFlagIsPacked = 8;
constexpr uint32_t KvAudioFormatFlagIsNonInterleaved = 32;

// Exactly four characters, each one byte in Mac OS Roman, read big-endian;
// anything else gives 0.
uint32_t KvAudioStreamFormatIDFromString(const QString& string);
QString KvStringFromAudioStreamFormatID(uint32_t formatID);

// Missing keys leave their fields 0.
KvAudioStreamBasicDescription KvAudioStreamDescriptionFromDictionary(const QVariantMap& dictionary);
// All eight stream keys, no file type.
QVariantMap
KvDictionaryFromAudioStreamDescription(const KvAudioStreamBasicDescription& description);
// The file type of a format dictionary; 'm4af' when it names none.
uint32_t KvAudioOutputFileTypeFromDictionary(const QVariantMap& dictionary);
