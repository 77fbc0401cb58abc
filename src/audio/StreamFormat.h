// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QVariantMap>
#include <cstdint>

// An audio stream description and its dictionary form, in which a file
// format travels between the settings and the recorder.
struct StreamFormat
{
    double mSampleRate = 0.0;
    uint32_t mFormatID = 0;
    uint32_t mFormatFlags = 0;
    uint32_t mBytesPerPacket = 0;
    uint32_t mFramesPerPacket = 0;
    uint32_t mBytesPerFrame = 0;
    uint32_t mChannelsPerFrame = 0;
    uint32_t mBitsPerChannel = 0;

    bool operator==(const StreamFormat&) const = default;
};

inline const QString kFormatSampleRate = QStringLiteral("kFormatSampleRate");
inline const QString kFormatCodec = QStringLiteral("kFormatCodec");
inline const QString kFormatFlags = QStringLiteral("kFormatFlags");
inline const QString kFormatBytesPerPacket = QStringLiteral("kFormatBytesPerPacket");
inline const QString kFormatFramesPerPacket = QStringLiteral("kFormatFramesPerPacket");
inline const QString kFormatBytesPerFrame = QStringLiteral("kFormatBytesPerFrame");
inline const QString kFormatChannels = QStringLiteral("kFormatChannels");
inline const QString kFormatBitsPerChannel = QStringLiteral("kFormatBitsPerChannel");
inline const QString kFormatContainer = QStringLiteral("kFormatContainer");

constexpr uint32_t kCodecLinearPcm = 0x6C70636D; // 'lpcm'
constexpr uint32_t kCodecAac = 0x61616320;       // 'aac '
constexpr uint32_t kContainerM4a = 0x6D346166;   // 'm4af'
constexpr uint32_t kContainerMp4 = 0x6D703466;   // 'mp4f'
constexpr uint32_t kFlagFloat = 1;
constexpr uint32_t kFlagPacked = 8;
constexpr uint32_t kFlagNonInterleaved = 32;

// Exactly four characters, each one byte in Mac OS Roman, read big-endian;
// anything else gives 0.
uint32_t codecFromName(const QString& string);
QString nameOfCodec(uint32_t formatID);

// Missing keys leave their fields 0.
StreamFormat streamFormatFrom(const QVariantMap& dictionary);
// All eight stream keys, no file type.
QVariantMap mapOfStreamFormat(const StreamFormat& description);
// The file type of a format dictionary; 'm4af' when it names none.
uint32_t containerFrom(const QVariantMap& dictionary);
