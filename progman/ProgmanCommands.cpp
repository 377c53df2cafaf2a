#include "ProgmanCommands.h"

#include <cstdarg>
#include <cstdio>

namespace {

const char* Text(const char* text)
{
    return text ? text : "";
}

bool Given(const char* text)
{
    return text && text[0];
}

// False when the text and its zero do not fit: a cut command would reach the
// Program Manager as a different one.
__attribute__((format(printf, 3, 4))) bool Format(char* out, size_t size, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(out, size, format, args);
    va_end(args);
    return length >= 0 && static_cast<size_t>(length) < size;
}

}  // namespace

bool ProgmanCommands::FormatCreateGroup(const char* group, const char* groupFile, char (&out)[GroupCommandBytes])
{
    if (Given(groupFile))
        return Format(out, sizeof out, "[CreateGroup(%s,%s)]", Text(group), groupFile);
    return Format(out, sizeof out, "[CreateGroup(%s)]", Text(group));
}

// The ShowGroup prefix makes the named group the active one, which is where
// DeleteItem and AddItem act.
bool ProgmanCommands::FormatDeleteItem(const char* group, const char* item, char (&out)[ItemCommandBytes])
{
    if (Given(group))
        return Format(out, sizeof out, "[ShowGroup(%s,5)][DeleteItem(%s)]", group, Text(item));
    return Format(out, sizeof out, "[DeleteItem(%s)]", Text(item));
}

bool ProgmanCommands::FormatAddItem(const char* group, const char* commandLine, const char* item,
                                    const char* iconPath, char (&out)[ItemCommandBytes])
{
    if (Given(group)) {
        if (iconPath)
            return Format(out, sizeof out, "[ShowGroup(%s,5)][AddItem(%s,%s,%s)]", group, Text(commandLine),
                          Text(item), iconPath);
        return Format(out, sizeof out, "[ShowGroup(%s,5)][AddItem(%s,%s)]", group, Text(commandLine), Text(item));
    }
    if (iconPath)
        return Format(out, sizeof out, "[AddItem(%s,%s,%s)]", Text(commandLine), Text(item), iconPath);
    return Format(out, sizeof out, "[AddItem(%s,%s)]", Text(commandLine), Text(item));
}

bool ProgmanCommands::FormatShowGroup(const char* group, int showCommand, char (&out)[GroupCommandBytes])
{
    return Format(out, sizeof out, "[ShowGroup(%s,%d)]", Text(group), showCommand);
}

bool ProgmanCommands::FormatDeleteGroup(const char* group, char (&out)[GroupCommandBytes])
{
    return Format(out, sizeof out, "[DeleteGroup(%s)]", Text(group));
}

int ProgmanCommands::CreateGroup(const char* group, const char* groupFile)
{
    char command[GroupCommandBytes];
    return FormatCreateGroup(group, groupFile, command) ? Execute(command) : 0;
}

// Both commands are formatted before either goes out: an item whose add
// command is refused keeps its earlier entry.
int ProgmanCommands::AddItem(const char* group, const char* commandLine, const char* item, const char* iconPath)
{
    char deleteCommand[ItemCommandBytes];
    char addCommand[ItemCommandBytes];
    if (!FormatDeleteItem(group, item, deleteCommand) ||
        !FormatAddItem(group, commandLine, item, iconPath, addCommand))
        return 0;
    // A missing item makes the delete fail; that is expected.
    Execute(deleteCommand);
    return Execute(addCommand);
}

int ProgmanCommands::ShowGroup(const char* group, int showCommand)
{
    char command[GroupCommandBytes];
    return FormatShowGroup(group, showCommand, command) ? Execute(command) : 0;
}

int ProgmanCommands::DeleteGroup(const char* group)
{
    char command[GroupCommandBytes];
    return FormatDeleteGroup(group, command) ? Execute(command) : 0;
}
