// A subcommand's arguments: positional words, options with values and flags,
// checked against what the command declares it takes.
#pragma once
#include <map>
#include <set>
#include <string>
#include <vector>

class CCommandArgs {
public:
    // nameList: option names that take a value ("-o", "--rate"); flags: those
    // that do not ("--json"). "--help" is always a flag. Throws CCliError on
    // an unknown option or a missing value.
    CCommandArgs(const std::string& strCommand, const std::vector<std::string>& args,
                 const std::set<std::string>& valueOptions, const std::set<std::string>& flags);

    bool Has(const std::string& strName) const;
    // The option's value, or strDefault when it was not given.
    std::string Value(const std::string& strName, const std::string& strDefault = "") const;
    // The value as a number in [dMin, dMax]; a malformed value throws.
    double Number(const std::string& strName, double dDefault, double dMin, double dMax) const;
    const std::vector<std::string>& Positional() const { return m_positional; }
    // Throws unless there are between nMin and nMax positional words.
    void ExpectPositional(size_t nMin, size_t nMax, const std::string& strWhat) const;

private:
    std::string m_strCommand;
    std::map<std::string, std::string> m_values;
    std::set<std::string> m_flags;
    std::vector<std::string> m_positional;
};
