#include "explain/step_json.h"

#include "puzzle/json_text.h"

namespace spanwright::explain {

namespace {

std::string numbers(std::initializer_list<int> values) {
    std::string text = "[";
    for (const int v : values)
        text += (text.size() == 1 ? "" : ",") + std::to_string(v);
    return text + "]";
}

}  // namespace

std::string stepJsonOpen(const Step& step) {
    std::string json = "{\"technique\":" + jsonString(step.technique);
    json += ",\"rung\":\"" + std::string(rungName(step.rung)) + "\"";
    json += ",\"islands\":[";
    for (std::size_t k = 0; k < step.islands.size(); ++k)
        json += (k == 0 ? "" : ",") + numbers({step.islands[k].first, step.islands[k].second});
    json += "],\"sets\":[";
    for (std::size_t k = 0; k < step.sets.size(); ++k) {
        const LineBounds& s = step.sets[k];
        json +=
            (k == 0 ? "" : ",") + numbers({s.row1, s.column1, s.row2, s.column2, s.least, s.most});
    }
    return json + "],\"reason\":" + jsonString(step.reason);
}

std::string stepListJson(const std::vector<Step>& steps) {
    std::string json = "[";
    for (std::size_t i = 0; i < steps.size(); ++i)
        json += (i == 0 ? "" : ",") + stepJsonOpen(steps[i]) + "}";
    return json + "]";
}

std::string bridgeListJson(const Solution& bridges) {
    std::string list = "[";
    for (std::size_t i = 0; i < bridges.size(); ++i) {
        const Bridge& b = bridges[i];
        list += (i == 0 ? "" : ",") + numbers({b.row1, b.column1, b.row2, b.column2, b.bridges});
    }
    return list + "]";
}

std::string hintJsonFields(const Hint& hint, bool checkable, const Solution* laid,
                           bool linesWrong) {
    std::string json = ",\"solved\":";
    json += checkable && hint.kind == Hint::Kind::Solved ? "true" : "false";
    if (laid) json += ",\"laid\":" + bridgeListJson(*laid);
    if (!checkable) return json + ",\"wrong\":null,\"steps\":[],\"moves\":[]}";
    std::string sentences = "[";
    for (std::size_t i = 0; i < hint.wrong.size(); ++i)
        sentences += (i == 0 ? "" : ",") + jsonString(hint.wrong[i]);
    sentences += "]";
    if (linesWrong)
        json +=
            ",\"wrong\":" + bridgeListJson(hint.wrongLines) + ",\"wrong_sentences\":" + sentences;
    else
        json += ",\"wrong\":" + sentences;
    json += ",\"unseen\":" + stepListJson(hint.unseen) + ",\"steps\":[";
    if (hint.kind == Hint::Kind::Step)
        json += stepJsonOpen(hint.step) + ",\"chain\":" + stepListJson(hint.chain) + "}";
    json += "],\"moves\":[";
    for (std::size_t i = 0; i < hint.moves.size(); ++i)
        json += (i == 0 ? "" : ",") + jsonString(hint.moves[i]);
    return json + "]}";
}

}  // namespace spanwright::explain
