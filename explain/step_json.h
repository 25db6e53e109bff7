#pragma once

// Steps and bridges as the JSON records of spanwright-explain give them, shared with the
// browser module so that both write the same fields.

#include <string>
#include <vector>

#include "explain/explain.h"
#include "explain/hint.h"
#include "puzzle/solution.h"

namespace spanwright::explain {

/// One step as a JSON object with its closing brace left off, so that a caller can add
/// fields: {"technique":..,"rung":..,"islands":[[r,c],..],"sets":[[r1,c1,r2,c2,least,most],..],
/// "reason":..
std::string stepJsonOpen(const Step& step);

/// Steps as a JSON array of whole objects.
std::string stepListJson(const std::vector<Step>& steps);

/// Bridges as [[r1,c1,r2,c2,n],...].
std::string bridgeListJson(const Solution& bridges);

/// The fields of a hint record from "solved" on, closing brace included: "solved", with
/// `laid` given "laid", "wrong" (the sentences; null when the position could not be
/// checked), "unseen", "steps" (the step with its "chain"), "moves". With `linesWrong`
/// "wrong" lists the wrong lines instead, as [r1,c1,r2,c2,n] (n 0 for a line wrongly
/// marked empty), and the sentences follow as "wrong_sentences": what a page that draws
/// the board marks.
std::string hintJsonFields(const Hint& hint, bool checkable, const Solution* laid,
                           bool linesWrong = false);

}  // namespace spanwright::explain
