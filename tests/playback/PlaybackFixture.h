// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "playback/PlaybackDelegate.h"

#include <QHash>
#include <QString>
#include <QWidget>
#include <memory>

class GeneralRecItem;
class RecNavigController;
class RecNavigatorView;
class SliderWithNotes;
class TimeView;

// Stands in for the window: counts what it is sent and
// answers from settable values.
class TestDelegate : public PlaybackDelegate
{
public:
    QString restorePath(const GeneralRecItem* item) const override { return paths.value(item); }
    void structChanged() override { ++structChanges; }
    void updateButtonsState() override { ++buttonUpdates; }
    bool isRecording() const override { return recording; }
    bool isSkipSilence() const override { return skipSilence; }
    QWidget* window() const override { return mainWindow; }
    float takeRecordedLevel() override { return level; }

    QHash<const GeneralRecItem*, QString> paths;
    int structChanges = 0;
    int buttonUpdates = 0;
    bool recording = false;
    bool skipSilence = false;
    float level = 0;
    QWidget* mainWindow = nullptr;
};

// The playback area wired as the main window wires it: a 235-point strip with
// a 215-point slider inside at (10, 20), the clock and the controller.
struct PlaybackArea
{
    static constexpr int kSliderX = 10;
    static constexpr int kSliderY = 20;
    static constexpr int kSliderWidth = 215;

    PlaybackArea();
    ~PlaybackArea();

    TestDelegate delegate;
    QWidget window;
    RecNavigatorView* strip;
    SliderWithNotes* slider;
    TimeView* timeView;
    std::unique_ptr<RecNavigController> controller;
};
