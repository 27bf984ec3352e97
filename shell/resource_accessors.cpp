#include "shell/resource_accessors.h"
#include "platform/resources.h"

namespace res {

SoundRef hi()
{
    static platform::SoundSlot slot("hi.wav");
    return slot.get();
}

SoundRef low()
{
    static platform::SoundSlot slot("low.wav");
    return slot.get();
}

SoundRef c()
{
    static platform::SoundSlot slot("c.wav");
    return slot.get();
}

SoundRef d()
{
    static platform::SoundSlot slot("d.wav");
    return slot.get();
}

SoundRef e()
{
    static platform::SoundSlot slot("e.wav");
    return slot.get();
}

SoundRef f()
{
    static platform::SoundSlot slot("f.wav");
    return slot.get();
}

SoundRef g()
{
    static platform::SoundSlot slot("g.wav");
    return slot.get();
}

SoundRef a()
{
    static platform::SoundSlot slot("a.wav");
    return slot.get();
}

SoundRef ch()
{
    static platform::SoundSlot slot("ch.wav");
    return slot.get();
}

PictureRef crot()
{
    static platform::PictureSlot slot("crot.png");
    return slot.get();
}

PictureRef CR()
{
    static platform::PictureSlot slot("CR.png");
    return slot.get();
}

PictureRef quav()
{
    static platform::PictureSlot slot("quav.png");
    return slot.get();
}

PictureRef sniff()
{
    static platform::PictureSlot slot("sniff.png");
    return slot.get();
}

PictureRef semi()
{
    static platform::PictureSlot slot("semi.png");
    return slot.get();
}

PictureRef saus()
{
    static platform::PictureSlot slot("saus.png");
    return slot.get();
}

PictureRef wood()
{
    static platform::PictureSlot slot("wood.png");
    return slot.get();
}

PictureRef dobe()
{
    static platform::PictureSlot slot("dobe.png");
    return slot.get();
}

PictureRef trip()
{
    static platform::PictureSlot slot("trip.png");
    return slot.get();
}

PictureRef cq()
{
    static platform::PictureSlot slot("cq.png");
    return slot.get();
}

PictureRef dqsq()
{
    static platform::PictureSlot slot("dqsq.png");
    return slot.get();
}

PictureRef rtrip()
{
    static platform::PictureSlot slot("rtrip.png");
    return slot.get();
}

PictureRef ssssss()
{
    static platform::PictureSlot slot("ssssss.png");
    return slot.get();
}

PictureRef ssqq()
{
    static platform::PictureSlot slot("ssqq.png");
    return slot.get();
}

PictureRef ssssq()
{
    static platform::PictureSlot slot("ssssq.png");
    return slot.get();
}

PictureRef qssss()
{
    static platform::PictureSlot slot("qssss.png");
    return slot.get();
}

PictureRef eef()
{
    static platform::PictureSlot slot("eef.png");
    return slot.get();
}

PictureRef rttt()
{
    static platform::PictureSlot slot("rttt.png");
    return slot.get();
}

PictureRef rqs()
{
    static platform::PictureSlot slot("rqs.png");
    return slot.get();
}

PictureRef sddss()
{
    static platform::PictureSlot slot("sddss.png");
    return slot.get();
}

PictureRef ddddss()
{
    static platform::PictureSlot slot("ddddss.png");
    return slot.get();
}

PictureRef sdddds()
{
    static platform::PictureSlot slot("sdddds.png");
    return slot.get();
}

PictureRef sssss()
{
    static platform::PictureSlot slot("sssss.png");
    return slot.get();
}

PictureRef ssrss()
{
    static platform::PictureSlot slot("ssrss.png");
    return slot.get();
}

PictureRef sssrs()
{
    static platform::PictureSlot slot("sssrs.png");
    return slot.get();
}

PictureRef canvasback()
{
    static platform::PictureSlot slot("canvasback.png");
    return slot.get();
}

PictureRef cover()
{
    static platform::PictureSlot slot("cover.png");
    return slot.get();
}

PictureRef go()
{
    static platform::PictureSlot slot("go.png");
    return slot.get();
}

PictureRef stop()
{
    static platform::PictureSlot slot("stop.png");
    return slot.get();
}

PictureRef repeat()
{
    static platform::PictureSlot slot("repeat.png");
    return slot.get();
}

PictureRef options()
{
    static platform::PictureSlot slot("options.png");
    return slot.get();
}

PictureRef optionslight()
{
    static platform::PictureSlot slot("optionslight.png");
    return slot.get();
}

PictureRef results()
{
    static platform::PictureSlot slot("results.png");
    return slot.get();
}

PictureRef resultslight()
{
    static platform::PictureSlot slot("resultslight.png");
    return slot.get();
}

PictureRef help()
{
    static platform::PictureSlot slot("help.png");
    return slot.get();
}

PictureRef newtest()
{
    static platform::PictureSlot slot("newtest.png");
    return slot.get();
}

PictureRef bdot()
{
    static platform::PictureSlot slot("bdot.png");
    return slot.get();
}

PictureRef gdot()
{
    static platform::PictureSlot slot("gdot.png");
    return slot.get();
}

PictureRef bldot()
{
    static platform::PictureSlot slot("bldot.png");
    return slot.get();
}

PictureRef rdot()
{
    static platform::PictureSlot slot("rdot.png");
    return slot.get();
}

PictureRef bbdot()
{
    static platform::PictureSlot slot("bbdot.png");
    return slot.get();
}

PictureRef play()
{
    static platform::PictureSlot slot("play.png");
    return slot.get();
}

PictureRef smallstop()
{
    static platform::PictureSlot slot("smallstop.png");
    return slot.get();
}

PictureRef l1()
{
    static platform::PictureSlot slot("l1.png");
    return slot.get();
}

PictureRef l2()
{
    static platform::PictureSlot slot("l2.png");
    return slot.get();
}

PictureRef l3()
{
    static platform::PictureSlot slot("l3.png");
    return slot.get();
}

PictureRef l4()
{
    static platform::PictureSlot slot("l4.png");
    return slot.get();
}

PictureRef l5()
{
    static platform::PictureSlot slot("l5.png");
    return slot.get();
}

PictureRef l6()
{
    static platform::PictureSlot slot("l6.png");
    return slot.get();
}

PictureRef l7()
{
    static platform::PictureSlot slot("l7.png");
    return slot.get();
}

PictureRef l8()
{
    static platform::PictureSlot slot("l8.png");
    return slot.get();
}

PictureRef l1t()
{
    static platform::PictureSlot slot("l1t.png");
    return slot.get();
}

PictureRef t24()
{
    static platform::PictureSlot slot("t24.png");
    return slot.get();
}

PictureRef t34()
{
    static platform::PictureSlot slot("t34.png");
    return slot.get();
}

PictureRef t44()
{
    static platform::PictureSlot slot("t44.png");
    return slot.get();
}

PictureRef t54()
{
    static platform::PictureSlot slot("t54.png");
    return slot.get();
}

const std::vector<PictureAccessor>& allPictures()
{
    static const std::vector<PictureAccessor> all = {
        {"crot", &crot},
        {"CR", &CR},
        {"quav", &quav},
        {"sniff", &sniff},
        {"semi", &semi},
        {"saus", &saus},
        {"wood", &wood},
        {"dobe", &dobe},
        {"trip", &trip},
        {"cq", &cq},
        {"dqsq", &dqsq},
        {"rtrip", &rtrip},
        {"ssssss", &ssssss},
        {"ssqq", &ssqq},
        {"ssssq", &ssssq},
        {"qssss", &qssss},
        {"eef", &eef},
        {"rttt", &rttt},
        {"rqs", &rqs},
        {"sddss", &sddss},
        {"ddddss", &ddddss},
        {"sdddds", &sdddds},
        {"sssss", &sssss},
        {"ssrss", &ssrss},
        {"sssrs", &sssrs},
        {"canvasback", &canvasback},
        {"cover", &cover},
        {"go", &go},
        {"stop", &stop},
        {"repeat", &repeat},
        {"options", &options},
        {"optionslight", &optionslight},
        {"results", &results},
        {"resultslight", &resultslight},
        {"help", &help},
        {"newtest", &newtest},
        {"bdot", &bdot},
        {"gdot", &gdot},
        {"bldot", &bldot},
        {"rdot", &rdot},
        {"bbdot", &bbdot},
        {"play", &play},
        {"smallstop", &smallstop},
        {"l1", &l1},
        {"l2", &l2},
        {"l3", &l3},
        {"l4", &l4},
        {"l5", &l5},
        {"l6", &l6},
        {"l7", &l7},
        {"l8", &l8},
        {"l1t", &l1t},
        {"t24", &t24},
        {"t34", &t34},
        {"t44", &t44},
        {"t54", &t54},
    };
    return all;
}

const std::vector<SoundAccessor>& allSounds()
{
    static const std::vector<SoundAccessor> all = {
        {"hi", &hi},
        {"low", &low},
        {"c", &c},
        {"d", &d},
        {"e", &e},
        {"f", &f},
        {"g", &g},
        {"a", &a},
        {"ch", &ch},
    };
    return all;
}

} // namespace res
