// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/PlaybackFixture.h"

#include "playback/RecNavigController.h"
#include "playback/RecNavigatorView.h"
#include "playback/SliderWithNotes.h"
#include "playback/TimeView.h"

PlaybackArea::PlaybackArea()
    : strip(new RecNavigatorView(&window)), slider(new SliderWithNotes(strip)),
      timeView(new TimeView(&window)), controller(std::make_unique<RecNavigController>())
{
    window.setGeometry(300, 300, 260, 110);
    strip->setGeometry(5, 5, 235, 50);
    slider->setGeometry(kSliderX, kSliderY, kSliderWidth, 20);
    timeView->setGeometry(5, 60, 235, 32);
    delegate.mainWindow = &window;

    strip->setAppDelegate(&delegate);
    strip->setRecNavigController(controller.get());
    strip->setRecSlider(slider);
    timeView->setAppDelegate(&delegate);
    controller->setAppDelegate(&delegate);
    controller->setRecNavigatorView(strip);
    controller->setRecSlider(slider);
    controller->setTimeView(timeView);
}

PlaybackArea::~PlaybackArea()
{
    strip->hideNote();
    controller.reset();
}
