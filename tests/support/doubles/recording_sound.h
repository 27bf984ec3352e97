#pragma once
// A sound output that plays nothing and lists what was played, installed with
// platform::setSoundOutput.
#include "platform/sound.h"
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

namespace platform {

// Each play is listed with the Ticks() reading at the play, and every change
// of whether the output is needed with the tick of the change.
class RecordingSoundOutput : public SoundOutput {
public:
    struct Play {
        QString name;
        int64_t tick;
        bool needed; // the output was needed at the play
        std::optional<int64_t> askedAtNs;
    };
    struct Need {
        bool needed;
        int64_t tick;
        bool operator==(const Need&) const = default;
    };
    void play(const Sound& sound, std::optional<int64_t> askedAtNs) override;
    void setNeeded(bool needed) override;
    std::vector<Play> played;
    bool needed = false;
    std::vector<Need> needChanges; // only changes, with the tick
    QStringList names() const;
};

} // namespace platform
