#include "app/cli/option_table.h"

namespace spanwright {

OptionReader::OptionReader(OptionTable table, const char* mode) : shortOptions_(mode) {
    for (const OptionRow& row : table) {
        if (!row.name) continue;
        list_.push_back(
            option{row.name, row.value ? required_argument : no_argument, nullptr, row.id});
        if (row.id < FIRST_LONG_ONLY) {
            shortOptions_ += char(row.id);
            if (row.value) shortOptions_ += ':';
        }
    }
    list_.push_back(option{nullptr, 0, nullptr, 0});
}

int OptionReader::next(int argc, char** argv) const {
    opterr = 0;
    // Every program reads its command line once, before any thread starts.
    // NOLINTNEXTLINE(concurrency-mt-unsafe)
    return getopt_long(argc, argv, shortOptions_.c_str(), list_.data(), nullptr);
}

std::string optionHelp(OptionTable table, int column, std::string (*helpOf)(int id)) {
    const std::size_t indent = std::size_t(column);
    std::string lines;
    for (const OptionRow& row : table) {
        const std::string help = row.help ? row.help : helpOf(row.id);
        if (!row.name) {
            lines += "\n" + help + (help.empty() ? "" : "\n");
            continue;
        }
        std::string head =
            row.id < FIRST_LONG_ONLY ? std::string("  -") + char(row.id) + ", --" : "      --";
        head += row.name;
        if (row.value) head += std::string(" ") + row.value;
        // A head that leaves no room for a space before the text stands on a line of its own.
        if (head.size() + 1 > indent)
            head += "\n" + std::string(indent, ' ');
        else
            head.resize(indent, ' ');
        lines += head;
        for (const char c : help) {
            lines += c;
            if (c == '\n') lines.append(indent, ' ');
        }
        lines += '\n';
    }
    return lines;
}

}  // namespace spanwright
