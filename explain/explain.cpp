#include "explain/explain.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <ctime>
#include <iterator>

#include "explain/model.h"
#include "explain/rules.h"
#include "puzzle/cpu_time.h"

namespace spanwright::explain {

namespace {

/// Every round (each time the player must look over the board again for what has become
/// possible) adds this much: the easy puzzles of the peer let many steps be seen at once,
/// its medium ones make a player come back again and again for one or two.
constexpr double ROUND_WEIGHT = 0.1;
/// The score is taken per hundred islands, so that it says how hard a board is rather
/// than how big; this many islands are added to the count so that the few steps of a tiny
/// board do not weigh as if they filled a large one.
constexpr int ISLAND_OFFSET = 25;

/// What one round adds: ROUND_WEIGHT, and for each technique its weight times the square
/// root of the number of its steps in the round, since an idea spotted once is found more
/// easily again on the same look.
double roundScore(const std::vector<Found>& round, int count) {
    std::array<int, TECHNIQUE_COUNT> uses{};
    for (int k = 0; k < count; ++k)
        ++uses[std::size_t(round[std::size_t(k)].technique)];
    double score = ROUND_WEIGHT;
    for (std::size_t t = 0; t < uses.size(); ++t)
        score += TECHNIQUES[t].weight * std::sqrt(double(uses[t]));
    return score;
}

constexpr std::array<const char*, 9> NUMBER_WORDS = {"no",   "one", "two",   "three", "four",
                                                     "five", "six", "seven", "eight"};

std::string number(int n) {
    return n >= 0 && n < int(NUMBER_WORDS.size()) ? NUMBER_WORDS[std::size_t(n)]
                                                  : std::to_string(n);
}

std::string bridges(int n) {
    return number(n) + (n == 1 ? " bridge" : " bridges");
}

/// Writes the sentences of one puzzle's steps.
class Writer {
  public:
    explicit Writer(const Geometry& g) : g_(g) {}

    /// "the 4 at (1,1)", with "in the top left corner" where it is one; "the island at
    /// (1,1) without a number" where the puzzle gives none.
    std::string island(int x, bool corner = true) const {
        const int r = g_.row[std::size_t(x)], c = g_.column[std::size_t(x)];
        const bool unnumbered = g_.unnumbered[std::size_t(x)];
        std::string text = unnumbered ? "the island at ("
                                      : "the " + std::to_string(g_.need[std::size_t(x)]) + " at (";
        text += std::to_string(r + 1) + "," + std::to_string(c + 1) + ")";
        if (unnumbered) return text + " without a number";
        if (!corner) return text;
        const bool top = r == 0, bottom = r == g_.height - 1, left = c == 0,
                   right = c == g_.width - 1;
        if ((top || bottom) && (left || right) && g_.height > 1 && g_.width > 1)
            text += std::string(" in the ") + (top ? "top " : "bottom ") +
                    (left ? "left" : "right") + " corner";
        return text;
    }
    std::string between(int line) const {
        return island(g_.lineA[std::size_t(line)], false) + " and " +
               island(g_.lineB[std::size_t(line)], false);
    }
    /// What bounds [least, most] say about a line that had `before` bridges for certain, as
    /// the end of a sentence.
    static std::string outcome(int before, int least, int most, bool plural) {
        static_assert(MAX_BRIDGES_PER_LINE == 2, "single and double name every count of a line");
        const char* is = plural ? "are" : "is";
        const char* gets = plural ? "get" : "gets";
        const char* stays = plural ? "stay" : "stays";
        if (least == most) {
            if (least == 0) return std::string(stays) + " empty";
            if (least == before) return std::string(stays) + (least == 1 ? " single" : " double");
            if (least == MAX_BRIDGES_PER_LINE && before == 1)
                return std::string(gets) + " a second bridge";
            return std::string(is) + (least == 1 ? " single" : " double");
        }
        if (most == MAX_BRIDGES_PER_LINE) return std::string(gets) + " at least " + bridges(least);
        return std::string(plural ? "carry" : "carries") + " at most one bridge";
    }
    /// "its line to A is double and its lines to B and C stay empty", lines grouped by outcome.
    std::string conclusions(const State& s, int x, const std::vector<Change>& changes) const {
        const auto before = [&](const Change& c) { return int(s.least[std::size_t(c.line)]); };
        std::vector<bool> done(changes.size(), false);
        std::string text;
        for (std::size_t i = 0; i < changes.size(); ++i) {
            if (done[i]) continue;
            std::vector<std::size_t> same;
            for (std::size_t j = i; j < changes.size(); ++j)
                if (!done[j] && changes[j].least == changes[i].least &&
                    changes[j].most == changes[i].most && before(changes[j]) == before(changes[i]))
                    same.push_back(j), done[j] = true;
            if (!text.empty()) text += " and ";
            text += same.size() == 1 ? "its line to " : "its lines to ";
            for (std::size_t k = 0; k < same.size(); ++k) {
                if (k > 0) text += k + 1 == same.size() ? " and " : ", ";
                text += island(g_.other(changes[same[k]].line, x), false);
            }
            text += " " +
                    outcome(before(changes[i]), changes[i].least, changes[i].most, same.size() > 1);
        }
        return text;
    }

    std::string reason(const State& s, const Found& f) const {
        switch (f.procedure) {
            case CLUE_RULE:
            case CAPACITY_RULE:
                return clueReason(s, f);
            case AT_LEAST_RULE:
                return atLeastReason(s, f);
            case LOOKAHEAD_RULE:
                return lookaheadReason(s, f);
            case KEEP_OPEN_RULE: {
                std::string others;
                int count = 0;
                for (const int l : g_.lineAt[std::size_t(f.island)]) {
                    if (l < 0 || l == f.line || s.least[std::size_t(l)] >= s.most[std::size_t(l)])
                        continue;
                    others += std::string(count++ > 0 ? " and " : "") +
                              island(g_.other(l, f.island), false);
                }
                return "If " + island(f.island) + " took all it still can from its " +
                       (count == 1 ? "line to " : "lines to ") + others +
                       ", it would finish its group of " + std::to_string(f.sealValue) +
                       " islands and cut it off from the others, so its line to " +
                       island(g_.other(f.line, f.island), false) + " gets at least one bridge.";
            }
            case CROSS_RULE: {
                std::string text = "The bridge between " + between(f.line) + " crosses ";
                if (f.changes.size() == 1)
                    return text + "the line between " + between(f.changes[0].line) +
                           ", so that line stays empty.";
                text += "the lines between ";
                for (std::size_t k = 0; k < f.changes.size(); ++k) {
                    if (k > 0) text += k + 1 == f.changes.size() ? " and between " : ", between ";
                    text += between(f.changes[k].line);
                }
                return text + ", so they stay empty.";
            }
            case PAIR_SEAL: {
                const int a = g_.lineA[std::size_t(f.line)], b = g_.lineB[std::size_t(f.line)];
                const Change& c = f.changes[0];
                // NOLINTNEXTLINE(bugprone-signed-char-misuse): bounds 0 to MAX_BRIDGES_PER_LINE
                const int low = s.least[std::size_t(f.line)];
                const std::string what = low > 0                               ? "A second bridge"
                                         : f.sealValue == MAX_BRIDGES_PER_LINE ? "A double bridge"
                                                                               : "A bridge";
                const std::string so =
                    ", so that line " + outcome(low, c.least, c.most, false) + ".";
                const int ra = s.root(a), rb = s.root(b);
                const int size = s.size[std::size_t(ra)] + (ra == rb ? 0 : s.size[std::size_t(rb)]);
                if (size == 2)
                    return what + " between " + island(a) + " and " + island(b) +
                           " would finish both and cut them off from the other islands" + so;
                return what + " between " + island(a) + " and " + island(b) + " would finish all " +
                       std::to_string(size) +
                       (ra == rb ? " islands of their group" : " islands it joins") +
                       " and cut them off from the others" + so;
            }
            case ONLY_EXIT_RULE: {
                const int x = f.island, size = s.size[std::size_t(s.root(x))];
                const int far = g_.other(f.line, x);
                std::string who = size == 1 ? upper(island(x))
                                            : "The group of " + std::to_string(size) +
                                                  " islands joined to " + island(x);
                return who + " can reach the other islands only through the line from " +
                       island(x, false) + " to " + island(far, false) +
                       ", so that line gets at least one bridge.";
            }
            case ISLAND_SEAL: {
                // Only the lines that the sealing way would add bridges to.
                std::string example;
                for (int d = 0; d < 4; ++d) {
                    const int l = g_.lineAt[std::size_t(f.island)][std::size_t(d)];
                    if (l < 0) continue;
                    // NOLINTNEXTLINE(bugprone-signed-char-misuse): bounds 0 to MAX_BRIDGES_PER_LINE
                    const int low = s.least[std::size_t(l)], value = f.example[std::size_t(d)];
                    if (value == low) continue;
                    if (!example.empty()) example += " and ";
                    example += low == 1     ? "a second bridge"
                               : value == 1 ? "a bridge"
                                            : "two bridges";
                    example += " to " + island(g_.other(l, f.island), false);
                }
                return upper(island(f.island)) +
                       " must not close its group off from the other islands (as " + example +
                       " would), so " + conclusions(s, f.island, f.changes) + ".";
            }
            case TRIAL_RULE:
                return trialReason(s, f);
            case PROCEDURE_COUNT:
                break;
        }
        return "";
    }

  private:
    /// What an island short of bridges lacks: all of them, or for one without a number a
    /// first one.
    std::string itsBridges(int x) const {
        return g_.unnumbered[std::size_t(x)] ? "a bridge" : "all its bridges";
    }

    static std::string upper(std::string text) {
        if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = char(text[0] - 'a' + 'A');
        return text;
    }

    /// " needs three bridges", " still needs one bridge", or for an island without a number
    /// " needs at least one bridge" or " has two bridges already".
    std::string needs(const State& s, int x, int remaining) const {
        const int need = g_.need[std::size_t(x)], known = s.known[std::size_t(x)];
        if (g_.unnumbered[std::size_t(x)])
            return known == 0 ? " needs at least one bridge"
                              : " has " + bridges(known) + " already";
        return remaining == need ? " needs " + bridges(need) : " still needs " + bridges(remaining);
    }

    std::string clueReason(const State& s, const Found& f) const {
        const int x = f.island, need = g_.need[std::size_t(x)];
        const bool unnumbered = g_.unnumbered[std::size_t(x)];
        const std::string who = upper(island(x));
        const std::string so = ", so " + conclusions(s, x, f.changes) + ".";
        if (f.technique == FINISHED_ISLAND) return who + " already has all its bridges" + so;
        const std::string wants = needs(s, x, f.remaining);
        // An island without a number gives a line a bridge this way only when it is its
        // only open line, which the sentence below says.
        if (f.technique == ONE_EACH_WAY && !unnumbered)
            return who + wants + " and cannot get them with any line left empty" + so;
        const auto& around = g_.lineAt[std::size_t(x)];
        const int open = int(std::count_if(around.begin(), around.end(), [&](int l) {
            return l >= 0 && s.least[std::size_t(l)] < s.most[std::size_t(l)];
        }));
        std::string text = who + wants;
        const int room = f.capacity - s.known[std::size_t(x)];
        const int lines =
            int(std::count_if(around.begin(), around.end(), [](int l) { return l >= 0; }));
        if (open == 1 && f.technique != NEIGHBOUR_CAPACITY)
            text += lines == 1 ? " and has only one line" : " and has only one line left open";
        else if (room == 0)  // an island without a number that can have no more
            text += " and its lines can take no more";
        else
            text += " and its lines can take " + (room == f.remaining
                                                      ? std::string("only that many")
                                                      : "at most " + number(room) + " more");
        if (f.technique == NEIGHBOUR_CAPACITY) {
            // Name what holds each line below what the island alone would allow it.
            std::string limits;
            int count = 0;
            for (const int l : g_.lineAt[std::size_t(x)]) {
                if (l < 0) continue;
                // NOLINTNEXTLINE(bugprone-signed-char-misuse): bounds 0 to MAX_BRIDGES_PER_LINE
                const int low = s.least[std::size_t(l)], lineRoom = s.effectiveMost(g_, l) - low;
                if (low == s.most[std::size_t(l)] ||
                    lineRoom >= std::min(MAX_BRIDGES_PER_LINE, need) - low)
                    continue;
                const int far = g_.other(l, x), spare = s.spare(g_, far);
                if (count++ > 0) limits += " and ";
                if (spare == 0)
                    limits += island(far, false) + " is full";
                else if (spare == lineRoom)
                    limits += island(far, false) + " can take only " + number(spare) +
                              (s.known[std::size_t(far)] == 0 ? "" : " more");
                else
                    limits += "its line to " + island(far, false) + " can carry only " +
                              number(lineRoom) + " more";
            }
            if (count > 0) text += ", as " + limits;
        }
        return text + so;
    }

    std::string atLeastReason(const State& s, const Found& f) const {
        const int x = f.island, need = g_.fewest[std::size_t(x)];
        const int slack = f.capacity - need;
        std::string text = upper(island(x)) + needs(s, x, need) +
                           " and its lines can carry at most " + number(f.capacity) +
                           " in all, so ";
        text += slack == 0 ? std::string("none of them may stay empty")
                           : "no line that can carry two may stay empty";
        return text + ": " + conclusions(s, x, f.changes) + ".";
    }

    std::string lookaheadReason(const State& s, const Found& f) const {
        const Change& c = f.changes[0];
        // NOLINTNEXTLINE(bugprone-signed-char-misuse): bounds 0 to MAX_BRIDGES_PER_LINE
        const int low = s.least[std::size_t(f.line)];
        const int added = f.hypothesisLeast - low;
        std::string what = added == 2 ? "Two bridges" : low > 0 ? "A second bridge" : "A bridge";
        what += " between " + between(f.line);
        std::string fault;
        if (f.faultKind == Fault::OverFull)
            fault = island(f.faultIsland, false) + " would get too many bridges";
        else if (f.faultKind == Fault::CutOff)
            fault = "the two would be cut off from the other islands";
        else if (f.crossed)
            fault = "it would cross a line that " + island(f.faultIsland, false) +
                    " needs, and that island could no longer get " + itsBridges(f.faultIsland);
        else
            fault = island(f.faultIsland, false) + " would be left without room around it for " +
                    itsBridges(f.faultIsland);
        return what + " is impossible: " + fault + "; so that line " +
               outcome(low, c.least, c.most, false) + ".";
    }

    std::string trialReason(const State& s, const Found& f) const {
        const int least = f.hypothesisLeast, most = f.hypothesisMost;
        std::string guess;
        if (least == most)
            guess = least == 0   ? "had no bridge"
                    : least == 1 ? "had a single bridge"
                                 : "were double";
        else if (most == MAX_BRIDGES_PER_LINE)
            guess = least == 1 ? "had a bridge" : "had two bridges";
        else
            guess = "had at most one bridge";
        std::string fault;
        if (f.faultIsland < 0)
            fault = "nothing would fit";
        else if (f.faultKind == Fault::Short)
            fault = island(f.faultIsland, false) + " could not get " + itsBridges(f.faultIsland);
        else if (f.faultKind == Fault::OverFull)
            fault = island(f.faultIsland, false) + " would get too many bridges";
        else
            fault =
                "the group of " + island(f.faultIsland, false) + " would be cut off from the rest";
        const Change& c = f.changes[0];
        std::string text = "If the line between " + between(f.line) + " " + guess + ", ";
        text += f.trialSteps == 0 ? fault
                                  : "then after " + std::to_string(f.trialSteps) +
                                        (f.trialSteps == 1 ? " step " : " steps ") + fault;
        return text + "; so that line " +
               outcome(int(s.least[std::size_t(c.line)]), c.least, c.most, false) + ".";
    }

    const Geometry& g_;
};

/// Lays the bridges of a game in progress; marks the state contradictory when one of them
/// is no line of the puzzle or cannot be there.
void layBridges(const Geometry& g, State& s, const std::vector<Bridge>& laid) {
    for (const Bridge& b : laid) {
        const int line = g.lineBetween(b.row1, b.column1, b.row2, b.column2);
        if (line < 0 || b.bridges < 1 || b.bridges > MAX_BRIDGES_PER_LINE) {
            s.contradiction = true;
            continue;
        }
        s.narrow(g, line, b.bridges, MAX_BRIDGES_PER_LINE);
    }
}

}  // namespace

std::string_view rungName(Rung rung) {
    const int index = int(rung) - 1;
    return index >= 0 && index < RUNG_COUNT ? RUNGS[std::size_t(index)].name
                                            : std::string_view("unknown");
}

std::string ladderText() {
    std::string text = "Levels, easiest first, each using what the ones before it use:\n";
    for (const RungRow& row : RUNGS) {
        text += "  " + std::string(row.name);
        text += std::string(9 - row.name.size(), ' ') + std::string(row.needs) + "\n";
    }
    return text +
           "Easy, medium and hard are the levels of the Bridges game of Simon Tatham's\n"
           "Portable Puzzle Collection: its own solver finishes such a puzzle at that level\n"
           "and not below.\n";
}

bool parseRung(std::string_view name, Rung& rung) {
    for (const RungRow& row : RUNGS) {
        // cppcheck-suppress useStlAlgorithm
        if (row.name == name) {
            rung = row.rung;
            return true;
        }
    }
    return false;
}

Explanation explainPuzzle(const Puzzle& puzzle, const Options& options) {
    Explanation result;
    Geometry g;
    g.build(puzzle);
    State s;
    s.reset(g);
    layBridges(g, s, options.laid);
    for (const LineBounds& b : options.given) {
        const int line = g.lineBetween(b.row1, b.column1, b.row2, b.column2);
        if (line < 0 || b.least < 0 || b.most > MAX_BRIDGES_PER_LINE || b.least > b.most)
            s.contradiction = true;
        else
            s.narrow(g, line, b.least, b.most);
    }
    StepFinder finder(g);
    const Writer writer(g);
    std::vector<Found> round;
    std::vector<Change> told;
    State start;
    // What the steps have said of each line so far, from what was known at the start: a
    // line the steps settle must be settled by a step a reader sees, even where an earlier
    // change, too plain to tell, had already narrowed it.
    std::vector<std::int8_t> saidLeast = s.least, saidMost = s.most;
    // A board whose islands are all full and joined is solved, yet a line may still read
    // "one or two bridges"; the finished islands then settle it, in steps that tell the
    // reader so but add nothing to the rating.
    const auto settled = [&] {
        for (int l = 0; l < g.lineCount(); ++l)
            if (s.least[std::size_t(l)] != s.most[std::size_t(l)]) return false;
        return true;
    };
    const double end = options.cpuSeconds > 0 ? threadCpuSeconds() + options.cpuSeconds : 0;
    finder.stopAt(end);
    while (!s.contradiction && result.steps.size() < options.maxSteps &&
           !(s.solved(g) && settled())) {
        if (end > 0 && threadCpuSeconds() >= end) {
            result.stopped = true;
            break;
        }
        const bool closing = s.solved(g);
        const int count = finder.round(s, closing ? Rung::Easy : options.highest, round);
        if (finder.stopped()) {
            result.stopped = true;
            break;
        }
        if (count == 0) break;
        // The round's steps were all found on this state, and the score counts them all, so
        // neither the order they are shown in nor those that an earlier one of the round
        // made needless changes it.
        start.copyFrom(s);
        const Rung rung = procedureRung(round[0].procedure);
        if (!closing) {
            result.level = std::max(result.level, rung);
            result.score += roundScore(round, count);
        }
        for (int k = 0; k < count && result.steps.size() < options.maxSteps; ++k) {
            Found& found = round[std::size_t(k)];
            // Only what the round's earlier steps left to narrow is this step's to tell.
            told.clear();
            std::copy_if(found.changes.begin(), found.changes.end(), std::back_inserter(told),
                         [&](const Change& c) { return finder.worthChanging(s, c); });
            finder.apply(s, found);
            for (const Change& c : found.changes) {
                const std::size_t l = std::size_t(c.line);
                const bool inTold = std::any_of(told.begin(), told.end(),
                                                [&](const Change& t) { return t.line == c.line; });
                if (!inTold && s.least[l] == s.most[l] && saidLeast[l] != saidMost[l])
                    told.push_back({c.line, s.least[l], s.most[l]});
            }
            if (told.empty()) continue;
            for (const Change& c : told) {
                const std::size_t l = std::size_t(c.line);
                saidLeast[l] = std::max(saidLeast[l], std::int8_t(c.least));
                saidMost[l] = std::min(saidMost[l], std::int8_t(c.most));
            }
            found.changes.swap(told);
            Step step;
            step.choices = count;
            step.rung = rung;
            step.technique = std::string(TECHNIQUES[std::size_t(found.technique)].name);
            if (found.island >= 0)
                step.islands.push_back(
                    {g.row[std::size_t(found.island)], g.column[std::size_t(found.island)]});
            if (found.line >= 0)
                for (const int x :
                     {g.lineA[std::size_t(found.line)], g.lineB[std::size_t(found.line)]})
                    if (x != found.island)
                        step.islands.push_back({g.row[std::size_t(x)], g.column[std::size_t(x)]});
            for (const Change& c : found.changes) {
                const int a = g.lineA[std::size_t(c.line)], b = g.lineB[std::size_t(c.line)];
                step.sets.push_back({g.row[std::size_t(a)], g.column[std::size_t(a)],
                                     g.row[std::size_t(b)], g.column[std::size_t(b)], c.least,
                                     c.most});
            }
            if (found.procedure == TRIAL_RULE) {
                const int a = g.lineA[std::size_t(found.line)],
                          b = g.lineB[std::size_t(found.line)];
                step.supposes = true;
                step.supposed = {g.row[std::size_t(a)], g.column[std::size_t(a)],
                                 g.row[std::size_t(b)], g.column[std::size_t(b)],
                                 found.hypothesisLeast, found.hypothesisMost};
            }
            step.reason = writer.reason(start, found);
            result.steps.push_back(std::move(step));
        }
    }
    result.score = std::round(1000 * result.score / (g.islandCount() + ISLAND_OFFSET)) / 10;
    result.contradiction = s.contradiction;
    // A solve stopped while it was still settling the last lines is not told as solved:
    // its steps would leave a line undecided.
    result.solved = s.solved(g) && !result.stopped;
    if (result.solved) {
        for (int l = 0; l < g.lineCount(); ++l) {
            if (s.least[std::size_t(l)] == 0) continue;
            const int a = g.lineA[std::size_t(l)], b = g.lineB[std::size_t(l)];
            result.solution.push_back({g.row[std::size_t(a)], g.column[std::size_t(a)],
                                       g.row[std::size_t(b)], g.column[std::size_t(b)],
                                       s.least[std::size_t(l)]});
        }
    }
    // The number each island without one turned out to have: its bridges, once none of
    // its lines can change any more.
    for (int x = 0; x < g.islandCount(); ++x) {
        if (!g.unnumbered[std::size_t(x)]) continue;
        const auto& around = g.lineAt[std::size_t(x)];
        const bool settledHere =
            !s.contradiction && s.wanting(g, x) <= 0 &&
            std::all_of(around.begin(), around.end(), [&](int l) {
                return l < 0 || s.effectiveMost(g, l) == s.least[std::size_t(l)];
            });
        result.numbers.push_back({g.row[std::size_t(x)], g.column[std::size_t(x)],
                                  settledHere ? s.known[std::size_t(x)] : -1});
    }
    return result;
}

Puzzle withFoundNumbers(const Puzzle& puzzle, const Explanation& explanation) {
    Puzzle numbered = copyPuzzle(puzzle);
    for (const FoundNumber& n : explanation.numbers) {
        const std::size_t cell =
            std::size_t(n.row) * std::size_t(puzzle.width) + std::size_t(n.column);
        if (n.number >= 1 && n.number <= MAX_CLUE && numbered.cells[cell] == UNKNOWN_ISLAND)
            numbered.cells[cell] = std::uint8_t(ISLAND_BASE + n.number);
    }
    return numbered;
}

Solution knownBridges(const Puzzle& puzzle, const Explanation& explanation, std::size_t steps,
                      const std::vector<Bridge>& laid) {
    Geometry g;
    g.build(puzzle);
    State s;
    s.reset(g);
    layBridges(g, s, laid);
    for (std::size_t k = 0; k < steps && k < explanation.steps.size(); ++k)
        for (const LineBounds& b : explanation.steps[k].sets) {
            const int line = g.lineBetween(b.row1, b.column1, b.row2, b.column2);
            if (line >= 0) s.narrow(g, line, b.least, b.most);
        }
    Solution known;
    for (int l = 0; l < g.lineCount(); ++l) {
        if (s.least[std::size_t(l)] == 0) continue;
        const int a = g.lineA[std::size_t(l)], b = g.lineB[std::size_t(l)];
        known.push_back({g.row[std::size_t(a)], g.column[std::size_t(a)], g.row[std::size_t(b)],
                         g.column[std::size_t(b)], s.least[std::size_t(l)]});
    }
    return known;
}

}  // namespace spanwright::explain
