#pragma once
// A sound output that plays nothing and lists what was played, installed with
// platform::setSoundOutput.
#include "platform/sound.h"
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace platform {

// Each play is listed with the Ticks() reading at the play.
class RecordingSoundOutput : public SoundOutput {
public:
    struct Play {
        QString name;
        int64_t tick;
    };
    void play(const Sound& sound) override;
    std::vector<Play> played;
    QStringList names() const;
};

} // namespace platform
