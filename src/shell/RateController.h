// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QPushButton>
#include <functional>

// Asks the user once, three days after the first start, to rate VoiceTray in
// the software centre. The first start is stored under "FSD" (seconds since
// 1970) and the offer, once shown, under "ASO". Main thread only.
class RateController : public QObject
{
    Q_OBJECT
public:
    // Seconds after the first start before the offer is due; a difference of
    // exactly this many seconds is not enough.
    static constexpr double kDelaySeconds = 259200.0;

    explicit RateController(QObject* parent = nullptr);
    ~RateController() override;

    // The clock, seconds since 1970; the system clock by default.
    void setClock(std::function<double()> now);

    QDialog* ratePanel() const { return m_ratePanel; }
    QPushButton* rateBtn() const { return m_rateBtn; }

public slots:
    // Shows the panel modally when it is due; called once per launch.
    void offerRateApp();
    // Opens the store page, then ends the modal run.
    void rateApp();
    void noThanks();
    // The panel's close box counts as declining.
    void offerWindowWillClose();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildPanel();

    QPointer<QDialog> m_ratePanel;
    QPointer<QPushButton> m_rateBtn;
    std::function<double()> m_now;
};
