#include "Command.h"

#include "Failure.h"

namespace unlha {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

[[noreturn]] void badCommand(const std::string& why) { throw Failure(UNLHA_BAD_COMMAND, why); }

bool isSwitch(const Argument& a) { return !a.quoted && a.text.size() > 1 && a.text[0] == '-'; }

}  // namespace

std::vector<Argument> splitArguments(std::string_view line) {
    std::vector<Argument> args;
    std::size_t i = 0;
    for (;;) {
        while (i < line.size() && isBlank(line[i])) ++i;
        if (i == line.size()) return args;
        Argument arg;
        bool inQuotes = false;
        // Quote and blank bytes are never the second byte of a double-byte
        // character, so a byte-wise walk is safe in every ANSI code page.
        for (; i < line.size() && (inQuotes || !isBlank(line[i])); ++i) {
            if (line[i] == '"') {
                inQuotes = !inQuotes;
                arg.quoted = true;
            } else {
                arg.text += line[i];
            }
        }
        if (inQuotes) badCommand("missing closing quote");
        args.push_back(std::move(arg));
    }
}

ExtractCommand parseCommand(std::string_view line) {
    std::vector<Argument> args = splitArguments(line);
    if (args.empty()) badCommand("empty command");
    const std::string& verb = args.front().text;
    if (args.front().quoted || (verb != "x" && verb != "X")) badCommand("unknown command \"" + verb + "\"");

    ExtractCommand command;
    std::vector<std::string> paths;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (isSwitch(args[i])) {
            if (args[i].text != "-+") badCommand("unknown switch " + args[i].text);
            command.unattended = true;
        } else {
            paths.push_back(args[i].text);
        }
    }
    if (paths.empty()) badCommand("no archive named");
    if (paths.size() == 1) badCommand("no target folder named");
    if (paths.size() > 2) badCommand("unexpected argument \"" + paths[2] + "\"");
    if (paths[0].empty()) badCommand("empty archive name");
    if (paths[1].empty()) badCommand("empty target folder");
    command.archive = std::move(paths[0]);
    command.folder = std::move(paths[1]);
    return command;
}

}  // namespace unlha
