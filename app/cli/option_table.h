#pragma once

// A companion program's options as one constexpr table, from which both getopt_long's list
// and the option lines of --help are made, so that the two cannot drift apart.

#include <getopt.h>

#include <cstddef>
#include <string>
#include <vector>

namespace spanwright {

/// What getopt_long returns for the first option without a short form; the ids below it are
/// the options' letters.
inline constexpr int FIRST_LONG_ONLY = 256;

/// One option of the command line, or, without a name, a paragraph of the help between
/// groups of options. The help text's lines after the first are indented under it.
struct OptionRow {
    int id;             ///< getopt_long's answer: the short option's letter, or FIRST_LONG_ONLY on
    const char* name;   ///< the long name without its dashes; nullptr for a paragraph
    const char* value;  ///< the name of its value in the help; nullptr for a flag
    const char* help;   ///< nullptr when the program supplies it as the help is printed
};

/// A program's rows, as its constexpr array.
struct OptionTable {
    const OptionRow* rows;
    std::size_t count;

    // Implicit on purpose: every call passes a program's row array as it stands.
    template <std::size_t N>
    // cppcheck-suppress noExplicitConstructor
    constexpr OptionTable(const OptionRow (&table)[N]) : rows(table), count(N) {}
    constexpr const OptionRow* begin() const { return rows; }
    constexpr const OptionRow* end() const { return rows + count; }
};

/// Whether a table can be read: no id or long name twice, and a short option only for a
/// letter or digit. For a static_assert beside each table.
constexpr bool isSoundTable(OptionTable table) {
    for (const OptionRow* row = table.begin(); row != table.end(); ++row) {
        if (!row->name) continue;
        const int id = row->id;
        const bool letter =
            (id >= 'a' && id <= 'z') || (id >= 'A' && id <= 'Z') || (id >= '0' && id <= '9');
        if (id < FIRST_LONG_ONLY && !letter) return false;
        for (const OptionRow* other = table.begin(); other != row; ++other) {
            if (!other->name) continue;
            if (other->id == id) return false;
            const char* a = other->name;
            const char* b = row->name;
            while (*a != '\0' && *a == *b) {
                ++a;
                ++b;
            }
            if (*a == *b) return false;
        }
    }
    return true;
}

/// Reads a command line with getopt_long, through the options of a table.
class OptionReader {
  public:
    /// `mode` starts getopt_long's option string: ":" to tell a missing value apart, and
    /// "+" or "-" before it for where the operands may stand.
    OptionReader(OptionTable table, const char* mode);

    /// The next option's id, as getopt_long answers (':' for a missing value, '?' for an
    /// unknown option, 1 for an operand in "-" mode), or -1 after the last option. Sets
    /// getopt's opterr to 0 first: the program says what was wrong itself.
    int next(int argc, char** argv) const;

  private:
    std::vector<option> list_;
    std::string shortOptions_;
};

/// The option lines of --help, each row's text starting at `column` and a paragraph row
/// standing after an empty line. `helpOf` gives the text of a row whose help is nullptr.
std::string optionHelp(OptionTable table, int column, std::string (*helpOf)(int id) = nullptr);

}  // namespace spanwright
