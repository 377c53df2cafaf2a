// The icon a message box shows, as scripts name it. From outside the target
// the icon cannot be read (its static control exists and is visible in every
// box, and icon handles mean nothing across processes): the robot's hook
// library, loaded into the target, identifies it there and leaves it on the
// box as a window property, which any process can read.
#pragma once

#include <cstring>
#include <initializer_list>

enum class BoxIcon {
    Unknown = 0, // no property: the hook library is not in the box's process
    None,
    Information, // MB_ICONINFORMATION (MB_ICONASTERISK)
    Exclamation, // MB_ICONEXCLAMATION (MB_ICONWARNING)
    Stop,        // MB_ICONSTOP (MB_ICONHAND, MB_ICONERROR)
    Question,    // MB_ICONQUESTION
    Other,       // a program's own icon (MB_USERICON)
};

// The window property that holds a box's BoxIcon.
const char kBoxIconProperty[] = "uirobot.icon";

inline const char* BoxIconName(BoxIcon icon)
{
    static const char* const kNames[] = {"unknown", "none", "information", "exclamation", "stop", "question", "other"};
    return kNames[static_cast<int>(icon)];
}

// The icons a script may expect: none, information, exclamation, stop, question.
inline bool ParseBoxIcon(const char* name, BoxIcon& icon)
{
    for (BoxIcon candidate : {BoxIcon::None, BoxIcon::Information, BoxIcon::Exclamation, BoxIcon::Stop,
                              BoxIcon::Question}) {
        if (std::strcmp(name, BoxIconName(candidate)) == 0) {
            icon = candidate;
            return true;
        }
    }
    return false;
}
