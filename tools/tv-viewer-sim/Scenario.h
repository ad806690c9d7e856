// Scenario files: one command a line, words separated by blanks, double
// quotes around a word with blanks, '#' starting a comment.
//
// An outline is a decision table: `outline "NAME"`, its set-up lines, a
// header line `| COLUMN | COLUMN |` and one `| CELL | CELL |` line per case.
// The parser unrolls it into plain commands: per row a `outline-row` reset,
// the set-up, then each cell as the command its header begins. A section,
// `section "NAME"` and its lines up to the next outline, section or `every
// outline`, is one such row without a table.
#ifndef VANTRO_SCENARIO_H
#define VANTRO_SCENARIO_H

#include <string>
#include <vector>

namespace tvsim {

struct Command {
    int line = 0;
    std::string verb;
    std::vector<std::string> args;
    std::string source;  // the line as written (for a cell: its command)
    // Inside an outline: the row this command runs for, and the column of a
    // cell (empty for the set-up lines and the row's reset).
    int row = 0;
    int column = 0;
    std::string columnName;
    std::string outline;
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
