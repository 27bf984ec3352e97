#pragma once
// The application object: its version data, its menu bar and the program's
// one random generator.
#include "platform/random.h"
#include <QApplication>
#include <QString>
#include <memory>

class Velvane : public QApplication {
    Q_OBJECT
public:
    Velvane(int& argc, char** argv);
    ~Velvane() override;

    // The application's open event: makes Randomizer.
    void Event_Open();

    // The program's one generator for group and pitch indexes; empty until
    // Event_Open. Tests may replace it.
    std::unique_ptr<platform::Random> Randomizer;

    // Version data: the program's identification towards the platform.
    int MajorVersion = 0;
    int MinorVersion = 0;
    int BugVersion = 0;
    int NonReleaseVersion = 0;
    int StageCode = 0;
    QString ShortVersion;
    QString LongVersion;
    QString PackageInfo;
};

// The registered application object. Throws IllegalCastException when the
// running application is not a Velvane.
Velvane* App();

// App()->Randomizer; an empty generator raises NilObjectException.
platform::Random& randomizer();
