// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/PlansDialog.h"

#include "library/Library.h"
#include "library/RecGroup.h"
#include "session/RecordingPlans.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

PlansDialog::PlansDialog(RecordingPlans& plans, const Library& library, QWidget* parent)
    : QDialog(parent), m_plans(plans), m_list(new QListWidget(this)), m_title(new QLineEdit(this)),
      m_start(new QDateTimeEdit(this)), m_repeat(new QComboBox(this)),
      m_minutes(new QSpinBox(this)), m_category(new QComboBox(this))
{
    setWindowTitle(tr("Planned Recordings"));
    auto* remove = new QPushButton(tr("Remove"), this);
    auto* add = new QPushButton(tr("Add Plan"), this);
    m_title->setPlaceholderText(tr("Lecture — Thursday"));
    // The next full hour, to start from.
    const QDateTime now = QDateTime::currentDateTime();
    m_start->setDateTime(QDateTime(now.date(), QTime(now.time().hour(), 0)).addSecs(3600));
    m_start->setCalendarPopup(true);
    m_start->setDisplayFormat(QLocale().dateTimeFormat(QLocale::ShortFormat));
    m_repeat->addItems({tr("Once"), tr("Every day"), tr("Every week")});
    m_minutes->setRange(1, 24 * 60 - 1);
    m_minutes->setValue(60);
    m_minutes->setSuffix(tr(" min"));
    m_category->addItem(tr("(top of the library)"));
    for (const GeneralRecItem* row : library.root()->subItems())
        if (row->asGroup())
            m_category->addItem(row->title());

    remove->setAutoDefault(false);
    remove->setEnabled(false);
    add->setDefault(true);
    auto* form = new QFormLayout;
    form->addRow(tr("Title"), m_title);
    form->addRow(tr("Starts"), m_start);
    form->addRow(tr("Repeats"), m_repeat);
    form->addRow(tr("Length"), m_minutes);
    form->addRow(tr("Category"), m_category);
    form->addRow(QString(), add);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(remove, 0, Qt::AlignRight);
    layout->addLayout(form);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(add, &QPushButton::clicked, this, &PlansDialog::addPlan);
    connect(remove, &QPushButton::clicked, this, [this] { m_plans.remove(m_list->currentRow()); });
    connect(m_list, &QListWidget::currentRowChanged, remove,
            [remove](int row) { remove->setEnabled(row >= 0); });
    connect(&m_plans, &RecordingPlans::changed, this, &PlansDialog::showPlans);
    showPlans();
    resize(460, 480);
}

void PlansDialog::showPlans()
{
    m_list->clear();
    const QLocale locale;
    for (const RecordingPlan& plan : m_plans.plans()) {
        QString when;
        switch (plan.repeat) {
        case RecordingPlan::Repeat::Once:
            when = locale.toString(plan.start, QLocale::ShortFormat);
            break;
        case RecordingPlan::Repeat::Daily:
            when =
                tr("every day at %1").arg(locale.toString(plan.start.time(), QLocale::ShortFormat));
            break;
        case RecordingPlan::Repeat::Weekly:
            when = tr("every %1 at %2")
                       .arg(locale.dayName(plan.start.date().dayOfWeek()),
                            locale.toString(plan.start.time(), QLocale::ShortFormat));
            break;
        }
        QString text = tr("%1 — %2, %3 min").arg(plan.title, when).arg(plan.length.count() / 60);
        if (!plan.category.isEmpty())
            text += tr(", in %1").arg(plan.category);
        m_list->addItem(text);
    }
}

void PlansDialog::addPlan()
{
    RecordingPlan plan;
    plan.title = m_title->text().trimmed();
    if (plan.title.isEmpty())
        plan.title = m_title->placeholderText();
    QDateTime start = m_start->dateTime();
    start.setTime(QTime(start.time().hour(), start.time().minute()));
    plan.start = start;
    plan.repeat = RecordingPlan::Repeat(m_repeat->currentIndex());
    plan.length = std::chrono::minutes(m_minutes->value());
    if (m_category->currentIndex() > 0)
        plan.category = m_category->currentText();
    if (m_plans.add(plan))
        m_title->clear();
}
