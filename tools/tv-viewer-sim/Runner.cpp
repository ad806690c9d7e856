#include "Runner.h"

#include <sstream>

#include "TimerJournal.h"

namespace tvsim {

Runner::Runner(Viewer& viewer, std::ostream& out, RunOptions options)
    : m_context{viewer, out, std::move(options), 0, -1, std::string(), {}} {
    m_context.actionMark = vsim::JournalSize();
    m_printed = m_context.actionMark;
    for (const std::string& name : vsim::FactNames())
        if (const vsim::Values* values = vsim::Fact(name)) m_startFacts.emplace_back(name, *values);
}

bool Runner::Restart(bool reload, std::string* failure) {
    Viewer& viewer = m_context.viewer;
    viewer.Destroy();
    if (reload && !viewer.Unload(failure)) return false;
    vsim::ResetWorld();
    for (const auto& fact : m_startFacts) {
        const vsim::Values* now = vsim::Fact(fact.first);
        if (!now || *now != fact.second) vsim::SetFact(fact.first, fact.second);
    }
    // The journal starts afresh with the world.
    m_context.actionMark = m_printed = vsim::JournalSize();
    m_context.lastVerdict = -1;
    m_context.lastKey.clear();
    viewer.SetAnswers(true);
    viewer.SetFocus(true);
    if (reload && !viewer.Load(viewer.Path(), failure)) return false;
    viewer.Settle();
    return true;
}

void Runner::PrintNew() {
    if (m_context.options.quiet) {  // nothing to print, nothing to copy
        m_printed = vsim::JournalSize();
        return;
    }
    std::vector<vsim::Entry> entries = vsim::JournalSince(m_printed);
    m_printed += entries.size();
    for (const auto& e : entries) {
        if (e.kind == "call") continue;
        if (e.kind == "log" && !m_context.options.showLogs) continue;
        m_context.out << "        " << Describe(e) << "\n";
    }
}

RunResult Runner::Run(const std::vector<Command>& commands) {
    RunResult result;
    int failedRow = 0;  // the outline row that failed, skipped to its end
    for (const Command& c : commands) {
        if (failedRow && c.row == failedRow) continue;
        failedRow = 0;
        if (c.verb == "outline-row") ++result.rows;
        ++result.commands;
        if (c.verb == "expect") ++result.expectations;
        if (!m_context.options.quiet) {
            m_context.out << (c.line < 10    ? "   "
                              : c.line < 100 ? "  "
                                             : " ")
                          << c.line << (c.row && !c.column && c.verb != "outline-row" ? " : " : " | ");
            std::size_t first = c.source.find_first_not_of(" \t");
            m_context.out << (first == std::string::npos ? "" : c.source.substr(first)) << "\n";
        }
        std::string failure;
        const std::size_t goneDeletes = GoneTimerDeletes();
        bool ok = Execute(c, &failure);
        if (ok && GoneTimerDeletes() != goneDeletes) {
            ok = false;
            failure = "the gadget deleted a timer that had already stopped or been deleted";
        }
        PrintNew();
        if (!ok) {
            ++result.failures;
            std::ostringstream line;
            line << "line " << c.line;
            if (c.column)
                line << ", column " << c.column << " (" << c.columnName << ")";
            else if (c.row && c.line != c.row)  // a section's lines come after its row's line
                line << (c.line < c.row ? ", set-up of the row at line " : ", in the section at line ") << c.row;
            line << ": " << failure;
            result.failureLines.push_back(line.str());
            m_context.out << "FAILED " << line.str() << "\n";
            if (m_context.options.keepGoing) continue;
            if (!c.row) break;
            failedRow = c.row;
        }
    }
    return result;
}

bool Runner::Execute(const Command& c, std::string* failure) {
    if (c.verb == "outline-row") return Restart(true, failure);
    const VerbSpec* verb = FindVerb(c);
    if (!verb) {
        *failure = c.verb == "expect" ? "unknown expectation '" + (c.args.empty() ? "" : c.args[0]) + "'"
                                      : "unknown verb '" + c.verb + "'";
        return false;
    }
    // An expectation's arguments follow its second word; a word $NAME stands for a named text.
    std::vector<std::string> args(c.args.begin() + (verb->kind == VerbKind::Expectation ? 1 : 0), c.args.end());
    for (std::string& word : args) {
        if (word.size() < 2 || word[0] != '$') continue;
        auto text = m_context.texts.find(word.substr(1));
        if (text == m_context.texts.end()) {
            *failure = "no text named " + word.substr(1) + " (name it first: text NAME \"TEXT\")";
            return false;
        }
        word = text->second;
    }
    int count = static_cast<int>(args.size());
    if (verb->kind == VerbKind::Action) m_context.actionMark = vsim::JournalSize();
    failure->clear();
    if (count >= verb->minArgs && (verb->maxArgs < 0 || count <= verb->maxArgs) &&
        verb->handler(m_context, c, args, failure))
        return true;
    if (failure->empty())
        failure->assign("usage: " + c.verb + (verb->kind == VerbKind::Expectation ? " " + c.args[0] : "") +
                        (verb->args.empty() ? "" : " " + verb->args));
    return false;
}

}  // namespace tvsim
