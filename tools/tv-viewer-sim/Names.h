// Names for the platform's codes and for the facts scenarios vary most, so
// that a table row reads `source av1` instead of a raw call and its code.
// Raw fact names and codes stay accepted everywhere.
#ifndef VANTRO_NAMES_H
#define VANTRO_NAMES_H

#include <string>
#include <vector>

namespace tvsim {

// One platform code by name: `kind` groups the codes one fact takes.
struct CodeName {
    std::string kind;
    std::string name;
    std::string code;
    std::string meaning;
};

// A fact by name: the world verb NAME sets FACT. NAME[ARG] names the fact's
// argument when FACT has none; NAME.ret (or any other suffix) is FACT.ret.
struct NamedFact {
    std::string name;
    std::string fact;
    std::string kind;  // value names it takes (empty: raw values only)
    std::string meaning;
};

const std::vector<CodeName>& CodeNames();
const std::vector<NamedFact>& NamedFacts();

// The named fact a verb stands for (NAME, NAME[ARG], NAME.ret), or null.
const NamedFact* FindNamedFact(const std::string& verb);
// The raw fact and values for `set NAME VALUES` or `set FACT VALUES`: fact
// names and argument names resolved, value names of the fact's kind
// replaced by their codes. False with a message on a bad name.
bool ResolveFact(const std::string& name, const std::vector<std::string>& values, std::string* fact,
                 std::vector<std::string>* codes, std::string* error);

}  // namespace tvsim

#endif
