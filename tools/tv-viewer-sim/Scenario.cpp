#include "Scenario.h"

#include <set>
#include <sstream>
#include <utility>

namespace tvsim {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// Pieces of the text between separators that stand outside double quotes.
std::vector<std::string> SplitOutsideQuotes(const std::string& text, char separator, bool* open = nullptr) {
    std::vector<std::string> pieces(1);
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (quoted && c == '\\' && i + 1 < text.size()) {
            pieces.back() += c;
            pieces.back() += text[++i];
            continue;
        }
        if (c == '"') quoted = !quoted;
        if (c == separator && !quoted) {
            pieces.emplace_back();
            continue;
        }
        pieces.back() += c;
    }
    if (open) *open = quoted;
    return pieces;
}

bool IsTableLine(const std::string& line) {
    std::size_t first = line.find_first_not_of(" \t\r");
    return first != std::string::npos && line[first] == '|';
}

// A word as it would be written in a scenario line.
std::string Written(const std::string& word) {
    if (!word.empty() && word.find_first_of(" \t\"#") == std::string::npos) return word;
    std::string out = "\"";
    for (char c : word) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

// The cells of a table line; false with a message when it is not one.
bool SplitCells(const std::string& line, std::vector<std::string>* cells, std::string* error) {
    bool open = false;
    std::vector<std::string> pieces = SplitOutsideQuotes(line, '|', &open);
    if (open) {
        *error = "unterminated quote";
        return false;
    }
    std::vector<std::string> words;
    std::string tail = pieces.back();
    if (pieces.size() < 3 || !SplitWords(tail, &words, error) || !words.empty()) {
        if (error->empty()) *error = "a table line starts and ends with '|'";
        return false;
    }
    cells->assign(pieces.begin() + 1, pieces.end() - 1);
    return true;
}

struct Column {
    std::string name;  // the header as written, blanks trimmed
    std::vector<std::string> prefix;
};

struct Outline {
    std::string name;
    int line = 0;
    std::vector<Command> setup;
    std::vector<Column> columns;
    int rows = 0;
    bool section = false;  // no table: its lines run once, as one row
};

std::string Trimmed(const std::string& text) {
    std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

class Parser {
public:
    explicit Parser(std::vector<ParseError>* errors) : m_errors(errors) {}

    void Line(int number, const std::string& line) {
        if (IsTableLine(line)) {
            TableLine(number, line);
            return;
        }
        std::vector<std::string> words;
        std::string error;
        if (!SplitWords(line, &words, &error)) {
            Fail(number, error);
            return;
        }
        if (words.empty()) return;
        // A plain line after a table's rows ends the outline.
        if (m_open && !m_outline.columns.empty()) Close(number);
        // A section ends at the next outline, section or every outline.
        const bool starts = words[0] == "outline" || words[0] == "section" || words[0] == "every";
        if (m_open && m_outline.section && starts) Close(number);
        if (words[0] == "outline" || words[0] == "section") {
            if (m_open) Fail(number, "outline \"" + m_outline.name + "\" has no table before the next outline");
            if (words.size() != 2) {
                Fail(number, words[0] + " takes one name: " + words[0] + " \"NAME\"");
                return;
            }
            m_outline = Outline();
            m_outline.name = words[1];
            m_outline.line = number;
            m_outline.section = words[0] == "section";
            m_outline.setup = m_everyOutline;
            m_open = true;
            m_inEveryOutline = false;
            return;
        }
        // The lines after "every outline", up to the next outline, start
        // every outline after them: the set-up most tables share is written
        // once.
        if (words[0] == "every") {
            if (m_open) Fail(number, "outline \"" + m_outline.name + "\" has no table before every outline");
            if (words.size() != 2 || words[1] != "outline") {
                Fail(number, "every takes one word: every outline");
                return;
            }
            m_everyOutline.clear();
            m_inEveryOutline = true;
            return;
        }
        Command command;
        command.line = number;
        command.verb = words[0];
        command.args.assign(words.begin() + 1, words.end());
        command.source = line;
        if (m_open) {
            command.outline = m_outline.name;
            m_outline.setup.push_back(command);
        } else if (m_inEveryOutline) {
            m_everyOutline.push_back(command);
        } else {
            m_commands.push_back(command);
        }
    }

    std::vector<Command> Finish(int lastLine) {
        if (m_open) Close(lastLine + 1);
        return m_commands;
    }

private:
    void Fail(int line, const std::string& message) {
        if (m_errors) m_errors->push_back({line, message});
    }

    void Close(int number) {
        m_open = false;
        if (m_outline.section)
            Row(m_outline.line, {});
        else if (m_outline.columns.empty())
            Fail(number,
                 "outline \"" + m_outline.name + "\" (line " + std::to_string(m_outline.line) + ") has no header line");
        else if (m_outline.rows == 0)
            Fail(number,
                 "outline \"" + m_outline.name + "\" (line " + std::to_string(m_outline.line) + ") has no rows");
    }

    void TableLine(int number, const std::string& line) {
        if (!m_open) {
            Fail(number, "a table line outside an outline (start one with outline \"NAME\")");
            return;
        }
        if (m_outline.section) {
            Fail(number, "section \"" + m_outline.name + "\" has no table (an outline has)");
            return;
        }
        std::vector<std::string> cells;
        std::string error;
        if (!SplitCells(line, &cells, &error)) {
            Fail(number, error);
            return;
        }
        if (m_outline.columns.empty()) {
            Header(number, cells);
            return;
        }
        if (cells.size() != m_outline.columns.size()) {
            Fail(number, "the row has " + std::to_string(cells.size()) + " cells, the header " +
                             std::to_string(m_outline.columns.size()));
            return;
        }
        Row(number, cells);
    }

    void Header(int number, const std::vector<std::string>& cells) {
        for (std::size_t i = 0; i < cells.size(); ++i) {
            Column column;
            column.name = Trimmed(cells[i]);
            std::string error;
            if (!SplitWords(cells[i], &column.prefix, &error) || column.prefix.empty()) {
                Fail(number,
                     "column " + std::to_string(i + 1) + " of the header " + (error.empty() ? "is empty" : error));
                m_outline.columns.clear();
                return;
            }
            m_outline.columns.push_back(column);
        }
    }

    void Row(int number, const std::vector<std::string>& cells) {
        std::vector<Command> row;
        Command reset;
        reset.line = number;
        reset.verb = "outline-row";
        reset.args = {m_outline.name};
        reset.source = (m_outline.section ? "section \"" : "outline \"") + m_outline.name + "\", row";
        row.push_back(reset);
        for (const Command& command : m_outline.setup) row.push_back(command);
        for (std::size_t i = 0; i < cells.size(); ++i) {
            const Column& column = m_outline.columns[i];
            // A cell may hold several commands of its column, split by ';'.
            // Every cell says something: `-` is "nothing for this column".
            std::string cell = Trimmed(cells[i]);
            if (cell.empty()) {
                Fail(number,
                     "column " + std::to_string(i + 1) + " (" + column.name + ") is empty; write - for nothing");
                return;
            }
            if (cell == "-") continue;
            for (const std::string& part : SplitOutsideQuotes(cells[i], ';')) {
                std::vector<std::string> words;
                std::string error;
                if (!SplitWords(part, &words, &error)) {
                    Fail(number, "column " + std::to_string(i + 1) + " (" + column.name + "): " + error);
                    return;
                }
                if (words.empty()) {
                    Fail(number, "column " + std::to_string(i + 1) + " (" + column.name + "): an empty command");
                    return;
                }
                if (words.size() == 1 && words[0] == "~") words.clear();  // the header's command alone
                std::vector<std::string> full = words;
                if (column.prefix != std::vector<std::string>{"do"})
                    full.insert(full.begin(), column.prefix.begin(), column.prefix.end());
                if (full.empty()) continue;
                Command command;
                command.line = number;
                command.verb = full[0];
                command.args.assign(full.begin() + 1, full.end());
                for (const std::string& word : full)
                    command.source += (command.source.empty() ? "" : " ") + Written(word);
                command.column = static_cast<int>(i + 1);
                command.columnName = column.name;
                row.push_back(command);
            }
        }
        for (Command& command : row) {
            command.row = number;
            command.outline = m_outline.name;
            m_commands.push_back(command);
        }
        ++m_outline.rows;
    }

    std::vector<ParseError>* m_errors;
    std::vector<Command> m_commands;
    Outline m_outline;
    bool m_open = false;
    std::vector<Command> m_everyOutline;
    bool m_inEveryOutline = false;
};

// A word $NAME stands for a text named before it, in the order the commands
// run (set-up lines once for each row); a name used first is a typo.
void CheckTextNames(const std::vector<Command>& commands, std::vector<ParseError>* errors) {
    std::set<std::string> named;
    std::set<std::pair<int, std::string>> reported;  // a set-up line runs once a row
    for (const Command& command : commands) {
        for (const std::string& word : command.args) {
            if (word.size() < 2 || word[0] != '$' || named.count(word.substr(1))) continue;
            std::string message;
            if (command.column)
                message = "column " + std::to_string(command.column) + " (" + command.columnName + "): ";
            message += "no text named " + word.substr(1) + " (name it first: text NAME \"TEXT\")";
            if (reported.insert({command.line, message}).second && errors) errors->push_back({command.line, message});
        }
        if (command.verb == "text" && !command.args.empty()) named.insert(command.args[0]);
    }
}

}  // namespace

bool SplitWords(const std::string& line, std::vector<std::string>* words, std::string* error) {
    words->clear();
    std::size_t i = 0;
    while (i < line.size()) {
        char c = line[i];
        if (IsBlank(c)) {
            ++i;
            continue;
        }
        if (c == '#') break;
        std::string word;
        bool quoted = false;
        // A word may mix plain and quoted pieces: key="context manager".
        while (i < line.size()) {
            c = line[i];
            if (!quoted && IsBlank(c)) break;
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
    Parser parser(errors);
    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) parser.Line(++number, line);
    std::vector<Command> commands = parser.Finish(number);
    CheckTextNames(commands, errors);
    return commands;
}

}  // namespace tvsim
