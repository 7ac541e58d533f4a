#include "alarmtable.h"

const QString AlarmTable::NoFile = QStringLiteral("None");
const QString AlarmTable::SoundFilter =
    QStringLiteral("MP3 File(*.mp3)|*.mp3|Sound Files(*.wav)|*.wav");

AlarmSlot &AlarmTable::slot(int n)
{
    Q_ASSERT_X(n >= 1 && n <= SlotCount, "AlarmTable::slot", "slot out of range");
    if (n < 1 || n > SlotCount)
        qFatal("AlarmTable::slot: slot %d out of range", n);
    return m_slots[size_t(n - 1)];
}

const AlarmSlot &AlarmTable::slot(int n) const
{
    return const_cast<AlarmTable *>(this)->slot(n);
}
