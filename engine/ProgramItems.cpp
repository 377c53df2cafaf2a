#include "ProgramItems.h"

const ItemRow sItem[sItemCount] = {
    {"Brumaria.EXE", "Demo Morvadin Brumaria", "BRUMARIA.ICO", "", 1, -1, dirkind::Destination, dirkind::Destination},
    {"Dexal.EXE", "Desinstalar Demo Morvadin Brumaria", "Dexal.EXE", "", 1, -1, dirkind::Windows, dirkind::Windows},
    {"Readme.txt", "Readme", "Readme.txt", "", 1, -1, dirkind::Destination, dirkind::Destination},
    {"AUDSETUP.EXE", "Setup Audio", "AUDSETUP.EXE", "", 1, -1, dirkind::Destination, dirkind::Destination},
    {"ESCRANO.EXE", "Setup Video", "Escrano.exe", "", 1, -1, dirkind::Destination, dirkind::Destination},
};

namespace {

class ItemRun {
public:
    ItemRun(ProgramItemHost& host, const InstallDirs& dirs, int components)
        : host_(host), dirs_(dirs), components_(components) {}

    // Whether a row gets past its enabled flag and its condition box.
    bool Wanted(const ItemRow& row)
    {
        if (!row.enabled)
            return false;
        // Box 0 is no condition here: the first component is always installed.
        if (row.checkBox > 0)
            return row.checkBox < components_ && host_.ComponentState(row.checkBox) == 1;
        return true;
    }

    // Applies one directory kind of a row to its directory text.
    void Apply(const ItemRow& row, DirKind kind, std::string& dir, bool& included)
    {
        switch (kind) {
        case dirkind::OwnDir:
            dir = row.ownDir ? row.ownDir : "";
            break;
        case dirkind::Source:
            dir = dirs_.source;
            break;
        case dirkind::Destination:
            dir = dirs_.destination;
            break;
        case dirkind::Chosen:
            if (!HasBox(row, included))
                break;
            dir = host_.ComponentState(row.checkBox) != 0 ? dirs_.destination : dirs_.source;
            break;
        case dirkind::Windows:
            dir = dirs_.windows;
            break;
        case dirkind::System:
            dir = dirs_.system;
            break;
        case dirkind::UncheckedOnly:
            if (HasBox(row, included))
                included = host_.ComponentState(row.checkBox) == 0;
            break;
        default:
            break;
        }
    }

private:
    // Kinds 3 and 6 need a component box; a row without one is reported each
    // time and left out. A box beyond the components has no window to ask.
    bool HasBox(const ItemRow& row, bool& included)
    {
        if (row.checkBox >= 0 && row.checkBox < components_)
            return true;
        host_.ShowMessage(std::string("Error en el item: ") + row.itemName, MessageHost::InformationBox);
        included = false;
        return false;
    }

    ProgramItemHost& host_;
    const InstallDirs& dirs_;
    int components_;
};

}  // namespace

std::string QuotedPath(const std::string& path)
{
    if (path.find_first_of(" ,()[]") == std::string::npos)
        return path;
    return '"' + path + '"';
}

void CreateProgramItems(ProgramItemHost& host, ProgmanCommands& progman, const InstallDirs& dirs,
                        const ItemRow* rows, int rowCount, int components)
{
    progman.CreateGroup(ProgramGroup, "");
    ItemRun run(host, dirs, components);
    std::string commandDir;
    std::string iconDir;
    for (int i = 0; i < rowCount; i++) {
        const ItemRow& row = rows[i];
        if (!run.Wanted(row))
            continue;
        bool included = true;
        run.Apply(row, row.commandDir, commandDir, included);
        run.Apply(row, row.iconDir, iconDir, included);
        if (!included)
            continue;
        const std::string commandLine = QuotedPath(commandDir + row.fileName);
        const std::string iconPath = QuotedPath(iconDir + row.iconFileName);
        progman.AddItem(ProgramGroup, commandLine.c_str(), row.itemName, iconPath.c_str());
    }
}
