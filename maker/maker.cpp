#include "maker/maker.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <condition_variable>
#include <ctime>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "exact/exact_solver.h"
#include "generator/derivation.h"
#include "maker/quick_rating.h"
#include "maker/reach.h"
#include "puzzle/canonical.h"
#include "puzzle/cpu_time.h"
#include "solver/solve.h"

namespace spanwright::maker {
namespace {

/// SplitMix64's finaliser: spreads the bits of a seed, an index and a round over a new
/// state, so that neighbouring puzzles start far apart in the sequence.
std::uint64_t mixed(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

/// The seed of one puzzle's task. The whole request goes in, so that an easy and a hard
/// run from one seed do not start from the same islands.
std::int32_t taskSeed(const MakeRequest& request, std::uint64_t index, std::uint32_t round) {
    const std::uint64_t shape = std::uint64_t(request.width) | std::uint64_t(request.height) << 8 |
                                std::uint64_t(request.level) << 16 |
                                std::uint64_t(request.islandPercent) << 24 |
                                std::uint64_t(request.symmetry) << 32;
    const std::uint64_t state = mixed(mixed(mixed(mixed(request.seed) ^ shape) ^ index) ^ round);
    return std::int32_t(std::uint32_t(state >> 33));
}

/// Unsettled lines of a spot per mend beyond its first.
constexpr int MENDED_LINES = 8;

/// One change to a layout, as mendStuckSpots draws and searchMends tries them.
struct Mend {
    enum Kind { Toggle, Split, AddSingle, AddDouble } kind;
    std::size_t edge;  ///< Toggle, Split
    int a, b;          ///< AddSingle, AddDouble
};

/// Applies `mend`; false, changing nothing, where a split or a new bridge does not fit.
bool applyMend(RandomSource& random, Symmetry symmetry, Layout& layout, const Mend& mend) {
    switch (mend.kind) {
        case Mend::Toggle:
            layout.edges[mend.edge].count =
                1 + MAX_BRIDGES_PER_LINE - layout.edges[mend.edge].count;
            return true;
        case Mend::Split:
            return splitEdge(random, symmetry, layout, mend.edge);
        case Mend::AddSingle:
            return addBridge(layout, mend.a, mend.b, 1);
        case Mend::AddDouble:
            return addBridge(layout, mend.a, mend.b, MAX_BRIDGES_PER_LINE);
    }
    return false;
}

/// Mends the spots where the rating stuck, so that a board the ladder could not finish
/// becomes one it can instead of being thrown away. The lines left unsettled fall into
/// spots, each a group of them joined end to end; a bridge of each spot changes (one per
/// spot, and one more per `mendedLines` of its lines). A single bridge is doubled where the
/// spot has one, as a double is fully settled by its clues far more often. A spot of
/// doubles alone is a ring whose counts could all shift by one around it: a double on a
/// free side fills the ring, or else an island splitting a bridge makes it odd, or else a
/// double is made single. Every spot is mended at once, as a large board sticks in many
/// places and mending one spot per rating cost a rating of the whole board each, most of
/// a 60 x 60 board's time. False when no bridge of the layout is unsettled.

bool mendStuckSpots(RandomSource& random, Symmetry symmetry, Layout& layout,
                    const QuickRater& rated, bool keepTarget, std::vector<int>& spot,
                    std::vector<int>& counts, std::vector<std::pair<int, int>>& lines,
                    std::vector<std::size_t>& picked, int mendedLines) {
    const std::size_t cells = layout.cells.size();
    spot.assign(cells, -1);
    const auto root = [&](int cell) {
        while (spot[std::size_t(cell)] != cell)
            cell = spot[std::size_t(cell)];
        return cell;
    };
    // Spots: union-find over the ends of unsettled lines, bridges of the layout or not: two
    // parallel bridges whose ends also face each other stick together, and mending each
    // alone keeps them alike.
    rated.unsettledLines(lines);
    for (const auto& [a, b] : lines) {
        for (const int end : {a, b})
            if (spot[std::size_t(end)] < 0) spot[std::size_t(end)] = end;
        const int ra = root(a), rb = root(b);
        if (ra != rb) spot[std::size_t(std::max(ra, rb))] = std::min(ra, rb);
    }
    const bool stuck = std::any_of(layout.edges.begin(), layout.edges.end(), [&](const Edge& edge) {
        return rated.unsettled(edge.a, edge.b);
    });
    if (!stuck) return false;
    counts.assign(cells, 0);
    std::vector<char> hasSingle(cells, 0);
    for (const Edge& edge : layout.edges)
        if (edge.count == 1 && rated.unsettled(edge.a, edge.b))
            hasSingle[std::size_t(root(edge.a))] = 1;
    const auto kept = [&](int a, int b) {
        return keepTarget && (rated.nearTargetStep(a) || rated.nearTargetStep(b));
    };
    const auto eligible = [&](const Edge& edge) {
        return rated.unsettled(edge.a, edge.b) && !kept(edge.a, edge.b) &&
               (edge.count == 1 || !hasSingle[std::size_t(root(edge.a))]);
    };
    // Per spot (by its root cell): its unsettled lines, then the candidates to mend.
    std::vector<int> size(cells, 0);
    bool changed = false;
    for (const auto& [a, b] : lines)
        ++size[std::size_t(root(a))];
    for (const Edge& edge : layout.edges)
        if (eligible(edge)) ++counts[std::size_t(root(edge.a))];
    // A spot of doubles alone where no bridge can be split: a ring of doubles with free
    // water on a side is settled by a double there, as every line of the ring is full.
    for (const auto& [a, b] : lines) {
        const int r = root(a);
        if (hasSingle[std::size_t(r)] || counts[std::size_t(r)] < 0 || kept(a, b)) continue;
        if (applyMend(random, symmetry, layout, {Mend::AddDouble, 0, a, b}))
            counts[std::size_t(r)] = -1, changed = true;
    }
    // One mend per spot, and one more per MENDED_LINES of its unsettled lines, as spots
    // joined by unsettled water lines grow to cover much of a large board.
    picked.clear();
    for (std::size_t k = 0; k < layout.edges.size(); ++k) {
        if (!eligible(layout.edges[k])) continue;
        const int r = root(layout.edges[k].a);
        const int candidates = counts[std::size_t(r)];
        if (candidates <= 0) continue;
        const int quota = 1 + size[std::size_t(r)] / mendedLines;
        if (random.drawBelow(candidates) < quota) picked.push_back(k);
    }
    // Every spot left touches what the target's rules settled: mended all the same, as
    // the board would stay as it is.
    if (picked.empty() && !changed && keepTarget)
        return mendStuckSpots(random, symmetry, layout, rated, false, spot, counts, lines, picked,
                              mendedLines);
    for (const std::size_t k : picked) {
        // A double is split where an island fits; otherwise a single becomes double and a
        // double single.
        if (layout.edges[k].count == MAX_BRIDGES_PER_LINE &&
            applyMend(random, symmetry, layout, {Mend::Split, k, 0, 0}))
            continue;
        applyMend(random, symmetry, layout, {Mend::Toggle, k, 0, 0});
    }
    return true;
}

/// Lines left unsettled at most for trying every single mend of a board whose target
/// rules settled something, rather than one drawn at random.
constexpr std::size_t SEARCHED_LINES = 16;
/// Lines left unsettled at most on a board the target's rules made no progress on for the
/// board to be given up: mending so few lines most often leaves it too easy, and a new
/// board is cheaper than the mends it would take.
constexpr std::size_t HOPELESS_LINES = 8;
/// Lines left unsettled at least on a fresh board the target's rules made no progress on
/// for it to be given up before any mend. Expert 30x30: of 1,741 such boards (most with
/// 20 to 230 lines open), mending made a puzzle of two, and they took four fifths of the
/// time; on small boards, which have fewer lines, mending is cheap and often does bring
/// such a spot about.
constexpr std::size_t FRESH_HOPELESS_LINES = 40;

/// Every single mend of the lines `rated` left unsettled on `layout`: each bridge on them
/// made single or double, or split by an island, and a bridge laid on each line between
/// islands that has none.
void listMends(const Layout& layout, const QuickRater& rated,
               const std::vector<std::pair<int, int>>& lines, std::vector<Mend>& mends) {
    mends.clear();
    for (std::size_t k = 0; k < layout.edges.size(); ++k) {
        const Edge& edge = layout.edges[k];
        if (!rated.unsettled(edge.a, edge.b)) continue;
        mends.push_back({Mend::Toggle, k, 0, 0});
        if (edge.count == MAX_BRIDGES_PER_LINE) mends.push_back({Mend::Split, k, 0, 0});
    }
    for (const auto& ends : lines) {
        const int a = ends.first, b = ends.second;
        const bool bridged = std::any_of(layout.edges.begin(), layout.edges.end(),
                                         [&](const Edge& e) { return e.a == a && e.b == b; });
        if (bridged) continue;
        mends.push_back({Mend::AddSingle, 0, a, b});
        mends.push_back({Mend::AddDouble, 0, a, b});
    }
}

enum class Searched { Candidate, Closer, Nothing, TimeUp };

/// Tries every single mend of `layout`, which `rated` found stuck with the target's rules
/// having settled something and `lines` left open, rating each with `trial`. Candidate:
/// a mend made a candidate, now in `layout`. Closer: none did, and `layout` is now the one
/// that kept the target's progress and left the fewest lines open. Nothing: `layout` is
/// unchanged.
template <typename TimeUp>
Searched searchMends(RandomSource& random, const MakeRequest& request, Layout& layout,
                     const QuickRater& rated, QuickRater& trial,
                     std::vector<std::pair<int, int>>& lines, std::vector<Mend>& mends,
                     Layout& closest, const TimeUp& timeUp) {
    listMends(layout, rated, lines, mends);
    const Layout base = layout;
    std::size_t fewest = lines.size();
    bool closer = false;
    for (const Mend& mend : mends) {
        if (timeUp()) return Searched::TimeUp;
        layout = base;
        if (!applyMend(random, request.symmetry, layout, mend)) continue;
        const QuickVerdict tried = trial.rate(layout.puzzle(), request.level);
        if (tried == QuickVerdict::Candidate) return Searched::Candidate;
        if (tried != QuickVerdict::TooHard || !trial.targetSettled()) continue;
        trial.unsettledLines(lines);
        if (lines.size() >= fewest) continue;
        fewest = lines.size();
        closest = layout;
        closer = true;
    }
    layout = closer ? closest : base;
    return closer ? Searched::Closer : Searched::Nothing;
}

/// Times a fresh board found too easy has some of its doubles made single before it is
/// given up, and the chance of each double to be made single: measured for the fewest
/// ratings per puzzle on small crowded boards, where most boards drawn are too easy.
constexpr int HARDENINGS_PER_BOARD = 2;
constexpr int HARDENED_PERCENT = 60;

/// Attempts to finish one board before drawing the next, mending it after each
/// attempt the ladder could not finish.
constexpr int DOUBLINGS_PER_BOARD = 4;
/// More on a crowded board, which has more places to stick: one more per this many islands.
constexpr int ISLANDS_PER_DOUBLING = 16;

}  // namespace

int defaultIslandPercent(Rung level) {
    return explain::rungRow(level).islandPercent;
}

int fixedGrade(const Puzzle& puzzle) {
    SolverBoard board;
    board.loadPuzzle(puzzle);
    SolveStats stats;
    if (!solveBoard(stats, board, false)) return int(DIFFICULTY_THRESHOLDS.size()) + 1;
    return gradeOf(ratingScore(stats));
}

bool makePuzzle(const MakeRequest& request, std::uint64_t index, std::uint32_t round,
                MadePuzzle& made, std::int64_t& boards, const SlowCall& slow,
                const std::atomic<bool>* halt) {
    const double start = threadCpuSeconds();
    const double end = start + request.secondsPerPuzzle;
    const std::int64_t slowBoards = request.boardsPerPuzzle / SLOW_START_PARTS;
    const double slowSeconds = request.secondsPerPuzzle / SLOW_START_PARTS;
    RandomSource random(taskSeed(request, index, round));
    const explain::RungRow& tuning = explain::rungRow(request.level);
    LayoutShape shape;
    shape.width = request.width;
    shape.height = request.height;
    shape.islandPercent = request.islandPercent;
    shape.loopPercent = tuning.loopPercent;
    shape.doublePercent = tuning.doublePercent;
    shape.symmetry = request.symmetry;
    Layout layout;
    // Two raters, so that a mend taken back goes back to a rating already made: `before`
    // is the layout rated by raters[saved].
    QuickRater raters[2];
    int now = 0, saved = -1;
    std::vector<int> spots, counts;
    std::vector<std::pair<int, int>> lines;
    std::vector<std::size_t> picked;
    std::vector<Mend> mends;
    Layout before, best;
    // The top rung needs a rare spot of its own, which mending many spots at once mends
    // away as well: there only one mend per spot.
    const int mendedLines = request.level >= Rung::Extreme ? INT_MAX : MENDED_LINES;
    // Expert's own rules settle something on few boards, and mending elsewhere on the
    // board keeps that rather than waiting for a board that needs nothing else: once they
    // have, mends keep away from it, one that loses it is taken back, and with few lines
    // left open every single mend is tried. A board where they settled nothing is given
    // up once few lines are left open.
    const bool keepsTarget = request.level == Rung::Expert;
    // Only the rungs that deduce: the top rung's boards want their doubles.
    const bool hardens = request.level > Rung::Easy && request.level < explain::SUPPOSING_RUNG;
    // The clock is read before every rating: one rating of a large board at the top rungs
    // takes seconds, and a look every few boards let a run go minutes past its bound.
    std::int64_t drawn = 0, begun = 0;
    const auto timeUp = [&] {
        const double clock = threadCpuSeconds();
        if (slow && (drawn >= slowBoards || (slowSeconds > 0 && clock - start >= slowSeconds)))
            slow(begun, clock - start);
        return (request.secondsPerPuzzle > 0 && clock >= end) ||
               (halt != nullptr && halt->load(std::memory_order_relaxed));
    };
    for (; drawn < request.boardsPerPuzzle; ++drawn) {
        if (timeUp()) return false;
        ++boards, ++begun;
        if (!drawLayout(random, shape, layout)) continue;
        const int doublings =
            DOUBLINGS_PER_BOARD + int(layout.islands.size()) / ISLANDS_PER_DOUBLING;
        saved = -1;
        bool keeping = false;
        int hardened = 0;
        for (int attempt = 0; attempt <= doublings; ++attempt) {
            if (attempt > 0 && timeUp()) return false;
            Puzzle puzzle = layout.puzzle();
            QuickVerdict verdict = raters[now].rate(puzzle, request.level);
            // Few lines left open on a board the target's rules made progress on: every
            // single mend is tried, as a mend drawn at random most often loses what they
            // settled or leaves the board too easy.
            if (verdict == QuickVerdict::TooHard && keepsTarget && raters[now].targetSettled()) {
                raters[now].unsettledLines(lines);
                if (lines.size() <= SEARCHED_LINES) {
                    const Searched searched =
                        searchMends(random, request, layout, raters[now], raters[now ^ 1], lines,
                                    mends, best, timeUp);
                    if (searched == Searched::TimeUp) return false;
                    if (searched == Searched::Closer) continue;
                    if (searched == Searched::Candidate) verdict = QuickVerdict::Candidate;
                    puzzle = layout.puzzle();
                }
            }
            if (verdict != QuickVerdict::Candidate) {
                // A mend that went too far (most often at the top rungs, where it takes
                // away the one spot that needed the rung), or one that lost the spot the
                // target's rules settled, is taken back, and the next mend draws anew.
                bool back = verdict == QuickVerdict::TooEasy;
                // A fresh board the rungs below finish has its doubles made single here and
                // there instead of being thrown away: single bridges are what makes a board
                // need more, and a new board costs a drawing and its ratings.
                if (back && saved < 0 && hardens && hardened < HARDENINGS_PER_BOARD) {
                    ++hardened;
                    for (Edge& edge : layout.edges)
                        if (edge.count == MAX_BRIDGES_PER_LINE &&
                            random.drawBelow(100) < HARDENED_PERCENT)
                            edge.count = 1;
                    continue;
                }
                if (back && saved < 0) break;
                // A mend that lost the kept spot is taken back before the board is judged
                // hopeless: the board that had the spot is the one to judge, and it is
                // most often close to done.
                if (!back && keeping && !raters[now].targetSettled()) back = true;
                if (!back && keepsTarget && !raters[now].targetSettled()) {
                    raters[now].unsettledLines(lines);
                    if (lines.size() <= HOPELESS_LINES) break;
                    // A fresh board the target's rules made no progress on, with many lines
                    // open, is given up at once: mending it seldom brings such a spot about.
                    if (saved < 0 && lines.size() > FRESH_HOPELESS_LINES) break;
                }
                if (back) {
                    layout = before;
                } else {
                    before = layout;
                    saved = now;
                    now ^= 1;
                    keeping = keepsTarget && raters[saved].targetSettled();
                }
                if (!mendStuckSpots(random, request.symmetry, layout, raters[saved], keeping, spots,
                                    counts, lines, picked, keeping ? MENDED_LINES : mendedLines))
                    break;
                continue;
            }
            // The ladder itself has the last word, and gives the score.
            const RungRating rating = rateWithin(puzzle, request.level);
            if (!rating.solved) break;
            // Solved below the rung asked for: too easy, and doubling only makes it
            // easier. Solved to another solution than the drawn one: not unique.
            const Solution solution = layout.solution();
            if (rating.level != request.level || rating.solution != solution) break;
            if (rungLeavesDoubt(rating.level) &&
                exact::solveExactly(puzzle).verdict != exact::Verdict::Unique)
                break;
            made.grade = fixedGrade(puzzle);
            puzzle.difficulty = std::int8_t(made.grade);
            made.hash = canonicalForm(puzzle).hash;
            made.puzzle = std::move(puzzle);
            made.solution = solution;
            made.level = rating.level;
            made.score = rating.score;
            made.islands = int(layout.islands.size());
            return true;
        }
    }
    return false;
}

BatchOutcome runBatch(const MakeRequest& request, std::int64_t count, int jobs,
                      const std::function<bool(const MadePuzzle&)>& write,
                      const ProgressReport& progress, const BatchFilter& asked,
                      const BatchNotices& notices) {
    BatchOutcome outcome;
    BatchFilter filter = asked;
    // Each rung of a mixed run takes its own share, or the one asked for all: no one share
    // to name instead.
    const bool mixed = asked.rungs.size() > 1;
    // A mixed run leaves out, before it begins, the rungs that would end it: one out of
    // reach at this size, or one whose puzzles the filter keeps refusing, while another
    // can fill the run. Only when none is usable does the run go on with all those in
    // reach, and say so as before.
    if (mixed && count > 0) {
        const std::vector<RungTrial> trials =
            tryRungs(request, filter.rungs, filter.rungShares, filter.accept, jobs);
        std::vector<Rung> usable, reachable;
        for (const RungTrial& trial : trials) {
            if (trial.verdict == RungTrial::Verdict::Usable) usable.push_back(trial.level);
            if (trial.verdict != RungTrial::Verdict::Unreachable) reachable.push_back(trial.level);
        }
        filter.rungs = !usable.empty() ? usable : reachable;
        outcome.rungs = filter.rungs;
        if (notices.rungsTried) notices.rungsTried(trials, filter.rungs);
        if (filter.rungs.empty()) {
            outcome.end = BatchOutcome::End::Unreachable;
            outcome.missed = request;
            return outcome;
        }
    }
    const auto requestFor = [&](std::uint64_t index, std::uint32_t round) {
        MakeRequest one = request;
        if (!filter.rungs.empty()) {
            one.level = filter.rungs[(index + round) % filter.rungs.size()];
            if (filter.rungShares) one.islandPercent = defaultIslandPercent(one.level);
        }
        // Only the first puzzle says whether the rung is in reach (and a mixed run's rungs
        // were each met before it began); the others may take longer, by their index alone,
        // so that whether a run ends does not depend on the threads.
        if (index > 0 || round > 0) one.boardsPerPuzzle *= MET_RUNG_BOARDS_FACTOR;
        return one;
    };
    // Set once the run has ended: the puzzles still being looked for will not be written,
    // and a later one may take many times the first one's bound.
    std::atomic<bool> halted{false};
    // The share a quick look found for the first puzzle, when it was not met at once. The
    // other shares are looked at beside the full look, not before it, so that a request
    // out of reach is refused no later than without them; they stop when the run does or
    // the first puzzle's look has ended, as nothing is left to report then.
    std::atomic<int> firstShare{-1};
    std::atomic<bool> firstLooked{false};
    std::atomic<bool> firstMet{false};
    std::atomic<bool> ended{false};
    std::thread scout;
    // One round of one puzzle, at the rung the filter names for it; true when it was made
    // and kept.
    const auto attempt = [&](std::uint64_t index, std::uint32_t round, MadePuzzle& made,
                             std::int64_t& drawn, bool& kept) {
        const MakeRequest one = requestFor(index, round);
        kept = false;
        // The first puzzle of a run of one rung that is not met within a part of the bounds
        // (SLOW_START_PARTS) may be out of reach, and the share that would work is worth
        // saying long before the full bound runs out: it is looked for on a thread of its
        // own while this look goes on, which the watch leaves as it is.
        const bool first = index == 0 && round == 0 && notices.slowStart && !mixed;
        SlowCall watch;
        if (first)
            watch = [&](std::int64_t boardsSoFar, double seconds) {
                if (scout.joinable() || seconds < notices.slowStartSeconds) return;
                SlowStart slow;
                slow.asked = one;
                slow.boards = boardsSoFar;
                slow.seconds = seconds;
                scout = std::thread([&, slow]() mutable {
                    slow.workingShare =
                        workingShare(slow.asked, [&] { return firstMet.load() || ended.load(); });
                    firstShare = slow.workingShare;
                    if (!firstLooked && slow.workingShare >= 0) notices.slowStart(slow);
                });
            };
        const bool met = makePuzzle(one, index, round, made, drawn, watch, &halted);
        if (first) firstMet = met, firstLooked = true;
        if (!met) return false;
        kept = !filter.accept || filter.accept(made);
        return true;
    };
    std::atomic<std::int64_t> boards{0};
    const std::int64_t window = std::int64_t(std::max(1, jobs)) * 4;

    struct Slot {
        bool ready = false;
        bool made = false;
        bool kept = false;
        std::uint32_t round = 0;  ///< the round that made the puzzle
        MadePuzzle puzzle;
    };
    std::vector<Slot> slots(static_cast<std::size_t>(window));
    std::mutex lock;
    std::condition_variable changed;
    std::int64_t next = 0;   // the next index a worker takes
    std::int64_t taken = 0;  // the next index the writer takes
    bool stop = false;

    const auto work = [&] {
        for (;;) {
            std::int64_t index = 0;
            {
                std::unique_lock<std::mutex> guard(lock);
                changed.wait(guard, [&] { return stop || next >= count || next < taken + window; });
                if (stop || next >= count) return;
                index = next++;
            }
            Slot result;
            std::int64_t drawn = 0;
            for (;; ++result.round) {
                result.made =
                    attempt(std::uint64_t(index), result.round, result.puzzle, drawn, result.kept);
                if (!result.made || result.kept || result.round == MAX_REPEAT_ROUNDS) break;
            }
            boards += drawn;
            result.ready = true;
            {
                std::lock_guard<std::mutex> guard(lock);
                slots[std::size_t(index % window)] = std::move(result);
            }
            changed.notify_all();
        }
    };
    std::vector<std::thread> workers;
    for (int k = 0; k < std::max(1, jobs); ++k)
        workers.emplace_back(work);

    RepeatFinder seen;
    for (; taken < count;) {
        Slot slot;
        {
            std::unique_lock<std::mutex> guard(lock);
            Slot& waiting = slots[std::size_t(taken % window)];
            changed.wait(guard, [&] { return waiting.ready; });
            slot = std::move(waiting);
            waiting = Slot{};
        }
        bool made = slot.made;
        bool kept = slot.kept;
        // A repeat is remade here, in order, so which puzzle replaces it does not depend on
        // the threads.
        std::uint32_t round = slot.round;
        std::uint32_t repeats = 0;
        while (made && kept && repeats < MAX_REPEAT_ROUNDS &&
               seen.add(slot.puzzle.puzzle, std::size_t(taken))) {
            ++repeats;
            for (std::uint32_t misses = 0; misses <= MAX_REPEAT_ROUNDS; ++misses) {
                std::int64_t drawn = 0;
                made = attempt(std::uint64_t(taken), ++round, slot.puzzle, drawn, kept);
                boards += drawn;
                if (!made || kept) break;
            }
        }
        if (!made || !kept || repeats == MAX_REPEAT_ROUNDS) {
            outcome.end = !made   ? BatchOutcome::End::Unreachable
                          : !kept ? BatchOutcome::End::Refused
                                  : BatchOutcome::End::Exhausted;
            outcome.missed = requestFor(std::uint64_t(taken), round);
            break;
        }
        if (!write(slot.puzzle)) {
            outcome.end = BatchOutcome::End::WriteFailed;
            break;
        }
        ++outcome.written;
        outcome.islands += slot.puzzle.islands;
        {
            std::lock_guard<std::mutex> guard(lock);
            ++taken;
        }
        changed.notify_all();
        if (progress) progress(outcome.written, boards.load());
    }
    halted = true;
    {
        std::lock_guard<std::mutex> guard(lock);
        stop = true;
    }
    changed.notify_all();
    for (std::thread& worker : workers)
        worker.join();
    ended = outcome.end != BatchOutcome::End::Unreachable;
    if (scout.joinable()) scout.join();
    // A request out of reach names the share that would work.
    if (outcome.end == BatchOutcome::End::Unreachable && !mixed) {
        const bool first = taken == 0 && firstShare >= 0;
        // Looked for within the first puzzle's bounds, as for the first puzzle.
        MakeRequest look = outcome.missed;
        look.boardsPerPuzzle = request.boardsPerPuzzle;
        outcome.workingShare = first ? firstShare.load() : workingShare(look, {});
    }
    outcome.boards = boards.load();
    return outcome;
}

}  // namespace spanwright::maker
