// The Program Manager's DDE command language: bracketed commands, formatted
// into fixed buffers and sent one execute transaction each. Portable: the
// transport is the subclass's Execute.
#pragma once

#include <cstddef>

class ProgmanCommands {
public:
    // Buffer sizes, terminating zero included: group commands and item commands.
    static const size_t GroupCommandBytes = 256;
    static const size_t ItemCommandBytes = 512;

    virtual ~ProgmanCommands() = default;

    // Sends one command text; 1 when the Program Manager took it, else 0.
    virtual int Execute(const char* command) = 0;

    // "[CreateGroup(name)]", or "[CreateGroup(name,file)]" with a group file.
    int CreateGroup(const char* group, const char* groupFile);
    // Deletes the group's item of that name, then adds it; the result is the
    // add's. Without a group (null or empty) the commands go to the group the
    // Program Manager has active; without an icon (null) it takes the
    // program's own.
    int AddItem(const char* group, const char* commandLine, const char* item, const char* iconPath);
    // "[ShowGroup(name,n)]" with a ShowWindow command.
    int ShowGroup(const char* group, int showCommand);
    // "[DeleteGroup(name)]".
    int DeleteGroup(const char* group);

    // Texts are inserted as they stand (null reads as empty). A command that
    // would not fit its buffer with its zero is refused: false, and out is
    // not to be sent.
    static bool FormatCreateGroup(const char* group, const char* groupFile, char (&out)[GroupCommandBytes]);
    static bool FormatDeleteItem(const char* group, const char* item, char (&out)[ItemCommandBytes]);
    static bool FormatAddItem(const char* group, const char* commandLine, const char* item, const char* iconPath,
                              char (&out)[ItemCommandBytes]);
    static bool FormatShowGroup(const char* group, int showCommand, char (&out)[GroupCommandBytes]);
    static bool FormatDeleteGroup(const char* group, char (&out)[GroupCommandBytes]);
};
