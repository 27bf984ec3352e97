#include "support/doubles/recording_sound.h"

#include "platform/ticks.h"

namespace platform {

void RecordingSoundOutput::play(const Sound& sound, std::optional<int64_t> askedAtNs)
{
    played.push_back({sound.name(), Ticks(), needed, askedAtNs});
}

void RecordingSoundOutput::setNeeded(bool on)
{
    if (on != needed)
        needChanges.push_back({on, Ticks()});
    needed = on;
}

QStringList RecordingSoundOutput::names() const
{
    QStringList list;
    list.reserve(qsizetype(played.size()));
    for (const Play& p : played)
        list.append(p.name);
    return list;
}

} // namespace platform
