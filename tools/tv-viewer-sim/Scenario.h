// Scenario files: one command a line, words separated by blanks, double
// quotes around a word with blanks, '#' starting a comment.
#ifndef VANTRO_SCENARIO_H
#define VANTRO_SCENARIO_H

#include <string>
#include <vector>

namespace tvsim {

struct Command {
    int line = 0;
    std::string verb;
    std::vector<std::string> args;
    std::string source;  // the line as written
};

struct ParseError {
    int line = 0;
    std::string message;
};

// Splits one line into words; false with a message on an unterminated quote.
bool SplitWords(const std::string& line, std::vector<std::string>* words, std::string* error);
// Parses a whole scenario text; commands in order, errors collected.
std::vector<Command> ParseScenario(const std::string& text, std::vector<ParseError>* errors);

}  // namespace tvsim

#endif
