#include "Scenario.h"

#include <sstream>

namespace tvsim {

bool SplitWords(const std::string& line, std::vector<std::string>* words, std::string* error) {
    words->clear();
    std::size_t i = 0;
    while (i < line.size()) {
        char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
            continue;
        }
        if (c == '#') break;
        std::string word;
        bool quoted = false;
        // A word may mix plain and quoted pieces: key="context manager".
        while (i < line.size()) {
            c = line[i];
            if (!quoted && (c == ' ' || c == '\t' || c == '\r')) break;
            if (c == '"') {
                quoted = !quoted;
                ++i;
                continue;
            }
            if (quoted && c == '\\' && i + 1 < line.size()) {
                char next = line[i + 1];
                word += next == 'n' ? '\n' : next;
                i += 2;
                continue;
            }
            word += c;
            ++i;
        }
        if (quoted) {
            if (error) *error = "unterminated quote";
            return false;
        }
        words->push_back(word);
    }
    return true;
}

std::vector<Command> ParseScenario(const std::string& text, std::vector<ParseError>* errors) {
    std::vector<Command> commands;
    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        std::vector<std::string> words;
        std::string error;
        if (!SplitWords(line, &words, &error)) {
            if (errors) errors->push_back({number, error});
            continue;
        }
        if (words.empty()) continue;
        Command command;
        command.line = number;
        command.verb = words[0];
        command.args.assign(words.begin() + 1, words.end());
        command.source = line;
        commands.push_back(command);
    }
    return commands;
}

}  // namespace tvsim
