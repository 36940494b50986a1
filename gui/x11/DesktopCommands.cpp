#include "gui/x11/DesktopCommands.h"

namespace zt::ge::x11 {
namespace {

std::string Or(const std::string& text, const char* fallback) { return text.empty() ? fallback : text; }

// The folder and name the dialog starts with; a folder alone ends with '/'
// so the dialogs open it rather than propose its name.
std::string StartPath(const SFileDialogRequest& request)
{
    std::string path = request.initialFolder;
    if (!path.empty() && path.back() != '/')
        path += '/';
    return path + request.fileName;
}

// "*.preset;*.txt" as the dialogs want it: "*.preset *.txt".
std::string Patterns(const std::string& pattern)
{
    std::string patterns = pattern;
    for (char& c : patterns)
        if (c == ';')
            c = ' ';
    return patterns;
}

}  // namespace

std::vector<std::string> ZenityFileArguments(const SFileDialogRequest& request)
{
    std::vector<std::string> args{"zenity", "--file-selection", "--modal",
                                  "--title=" + Or(request.title, request.save ? "Save As" : "Open")};
    if (request.save)
        args.emplace_back("--save");
    if (request.parentWindow)
        args.push_back("--attach=" + std::to_string(request.parentWindow));
    const std::string start = StartPath(request);
    if (!start.empty())
        args.push_back("--filename=" + start);
    if (!request.filterPattern.empty()) {
        args.push_back("--file-filter=" + Or(request.filterDescription, request.filterPattern.c_str()) + " | "
                       + Patterns(request.filterPattern));
        args.emplace_back("--file-filter=All files | *");
    }
    return args;
}

std::vector<std::string> KdialogFileArguments(const SFileDialogRequest& request)
{
    std::vector<std::string> args{"kdialog", "--title", Or(request.title, request.save ? "Save As" : "Open")};
    if (request.parentWindow) {
        args.emplace_back("--attach");
        args.push_back(std::to_string(request.parentWindow));
    }
    args.emplace_back(request.save ? "--getsavefilename" : "--getopenfilename");
    args.push_back(Or(StartPath(request), "."));
    if (!request.filterPattern.empty()) {
        // Qt's form: a description with the patterns in brackets.
        const std::string& description = request.filterDescription;
        args.push_back(description.find('(') != std::string::npos
                           ? description
                           : Or(description, "Files") + " (" + Patterns(request.filterPattern) + ")");
    }
    return args;
}

std::vector<std::string> ZenityMessageArguments(const char* text, const char* caption, uintptr_t parentWindow)
{
    std::vector<std::string> args{"zenity", "--error", "--no-markup", "--title=" + std::string(caption ? caption : ""),
                                  "--text=" + std::string(text ? text : "")};
    if (parentWindow)
        args.push_back("--attach=" + std::to_string(parentWindow));
    return args;
}

std::vector<std::string> KdialogMessageArguments(const char* text, const char* caption, uintptr_t parentWindow)
{
    std::vector<std::string> args{"kdialog", "--title", caption ? caption : ""};
    if (parentWindow) {
        args.emplace_back("--attach");
        args.push_back(std::to_string(parentWindow));
    }
    args.emplace_back("--error");
    args.emplace_back(text ? text : "");
    return args;
}

std::string PathFromOutput(const std::string& output)
{
    const std::size_t end = output.find('\n');
    std::string path = output.substr(0, end);
    if (!path.empty() && path.back() == '\r')
        path.pop_back();
    return path;
}

}  // namespace zt::ge::x11
