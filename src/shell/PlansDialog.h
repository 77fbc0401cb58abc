// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class Library;
class QComboBox;
class QDateTimeEdit;
class QLineEdit;
class QListWidget;
class QSpinBox;
class RecordingPlans;

// "Planned Recordings": the plans with their times, one removed at a time,
// and a new one made from a title, a start, how it repeats, a length and a
// category. The plans themselves refuse what overlaps. Main thread only.
class PlansDialog : public QDialog
{
    Q_OBJECT
public:
    PlansDialog(RecordingPlans& plans, const Library& library, QWidget* parent = nullptr);

    QLineEdit* titleField() const { return m_title; }
    QDateTimeEdit* startField() const { return m_start; }
    QSpinBox* lengthField() const { return m_minutes; }

private:
    void showPlans();
    void addPlan();

    RecordingPlans& m_plans;
    QListWidget* m_list;
    QLineEdit* m_title;
    QDateTimeEdit* m_start;
    QComboBox* m_repeat;
    QSpinBox* m_minutes;
    QComboBox* m_category;
};
