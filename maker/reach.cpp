#include "maker/reach.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace spanwright::maker {

MakeRequest quickLook(const MakeRequest& request) {
    MakeRequest look = request;
    look.boardsPerPuzzle = std::max<std::int64_t>(1, request.boardsPerPuzzle / QUICK_LOOK_PARTS);
    look.secondsPerPuzzle = request.secondsPerPuzzle / QUICK_LOOK_PARTS;
    return look;
}

std::vector<int> sharesToTry(const MakeRequest& request) {
    const int asked = request.islandPercent;
    std::vector<int> below, above;
    for (int share = MIN_ISLAND_PERCENT; share <= MAX_ISLAND_PERCENT; share += SHARE_STEP) {
        if (share < asked) below.push_back(share);
        if (share > asked) above.push_back(share);
    }
    std::reverse(below.begin(), below.end());
    // At or above the rung's own share, more islands only make the boards slower to rate
    // and the rung no easier to meet: the way out is fewer.
    if (asked >= defaultIslandPercent(request.level)) return below;
    above.insert(above.end(), below.begin(), below.end());
    return above;
}

int workingShare(const MakeRequest& request, const std::function<bool()>& stopped) {
    for (const int share : sharesToTry(request)) {
        if (stopped && stopped()) return -1;
        MakeRequest look = quickLook(request);
        look.islandPercent = share;
        MadePuzzle made;
        std::int64_t boards = 0;
        if (makePuzzle(look, 0, 0, made, boards)) return share;
    }
    return 0;
}

std::vector<RungTrial> tryRungs(const MakeRequest& request, const std::vector<Rung>& rungs,
                                bool rungShares,
                                const std::function<bool(const MadePuzzle&)>& accept, int jobs) {
    std::vector<RungTrial> trials(rungs.size());
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t k = next++; k < rungs.size(); k = next++) {
            RungTrial& trial = trials[k];
            MakeRequest asked = request;
            asked.level = trial.level = rungs[k];
            if (rungShares) asked.islandPercent = defaultIslandPercent(asked.level);
            trial.islandPercent = asked.islandPercent;
            trial.verdict = RungTrial::Verdict::Refused;
            for (std::uint32_t round = 0; round < ACCEPT_TRIALS; ++round) {
                MadePuzzle made;
                std::int64_t boards = 0;
                // A rung that has been met once is in reach: a later miss only says that its
                // puzzles come slowly, and the run itself bounds those.
                if (!makePuzzle(asked, 0, round, made, boards)) {
                    if (round == 0) trial.verdict = RungTrial::Verdict::Unreachable;
                    break;
                }
                if (!accept || accept(made)) {
                    trial.verdict = RungTrial::Verdict::Usable;
                    break;
                }
            }
        }
    };
    const std::size_t threads = std::min<std::size_t>(std::size_t(std::max(1, jobs)), rungs.size());
    std::vector<std::thread> workers;
    for (std::size_t k = 1; k < threads; ++k)
        workers.emplace_back(work);
    work();
    for (std::thread& worker : workers)
        worker.join();
    return trials;
}

}  // namespace spanwright::maker
