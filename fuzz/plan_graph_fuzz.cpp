// Turns arbitrary bytes into a syntactically valid plan file whose record graph is damaged
// (parents in rings, sibling chains that branch or loop, links between relatives and in
// cycles, numbers at the ends of their ranges, calendars without working time), then opens,
// schedules and exports it and checks that the plan it would save reads back.
#include "fuzz_checks.h"
#include "interchange/json_writer.h"
#include "model/preferences.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

using namespace mapolt;

class Bytes {
  public:
    Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    unsigned next() { return at_ < size_ ? data_[at_++] : 0; }
    unsigned below(unsigned n) { return n == 0 ? 0 : next() % n; }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

constexpr std::array<const char*, 12> kNumbers = {"0",      "1",           "8",     "-8",
                                                  "0.5",    "24",          "1e-30", "2147483647",
                                                  "3.4e38", "-2147483648", "1e39",  "1e308"};

std::string number(Bytes& in) {
    return kNumbers[in.below(kNumbers.size())];
}

std::string id(const char* prefix, unsigned i) {
    return std::string("\"") + prefix + std::to_string(i) + "\"";
}

// A task id, or sometimes the id of a record of another entity or of none at all.
std::string someTask(Bytes& in, unsigned tasks) {
    const unsigned pick = in.below(tasks + 2);
    if (pick == tasks)
        return "\"p\"";
    if (pick == tasks + 1)
        return "\"nowhere\"";
    return id("t", pick);
}

std::string planText(Bytes& in) {
    const unsigned tasks = 1 + in.below(24);
    const unsigned links = in.below(12);
    const unsigned resources = in.below(3);
    std::string text = R"({"Project":[{"UUID":"p","atttributes":{"startDate":"Mar 2, 2026"}}],)";
    text += "\"ATask\":[";
    for (unsigned i = 0; i < tasks; ++i) {
        text += i == 0 ? "" : ",";
        text += "{\"UUID\":" + id("t", i) + ",\"atttributes\":{\"name\":";
        std::string name;
        for (unsigned k = in.below(6); k > 0; --k)
            name += static_cast<char>(in.next());
        appendJsonString(text, name);
        text += ",\"viewOrder\":" + number(in) + ",\"hours\":" + number(in) +
                ",\"daysFromStart\":" + number(in) + ",\"elapsedTime\":" + number(in) +
                ",\"invalid\":" + (in.below(2) != 0 ? "true" : "false") +
                ",\"adjustElapsed\":" + (in.below(2) != 0 ? "true" : "false") +
                "},\"relations\":{\"project\":\"p\"";
        if (in.below(3) != 0)
            text += ",\"superTask\":" + someTask(in, tasks);
        if (in.below(3) == 0)
            text += ",\"subTasks\":[" + someTask(in, tasks) + "," + someTask(in, tasks) + "]";
        if (in.below(2) != 0)
            text += ",\"nextSibling\":" + someTask(in, tasks);
        if (in.below(3) == 0)
            text += ",\"prevSibling\":" + someTask(in, tasks);
        text += "}}";
    }
    text += "],\"DepLink\":[";
    for (unsigned i = 0; i < links; ++i) {
        text += i == 0 ? "" : ",";
        text += "{\"UUID\":" + id("l", i) + ",\"atttributes\":{\"daysBetween\":" + number(in) +
                "},\"relations\":{\"dependTask\":" + someTask(in, tasks) +
                ",\"dependeeTask\":" + someTask(in, tasks) + "}}";
    }
    text += "],\"Calandar\":[";
    for (unsigned r = 0; r < resources; ++r)
        text += std::string(r == 0 ? "" : ",") + "{\"UUID\":" + id("c", r) +
                ",\"relations\":{\"resource\":" + id("r", r) + "}}";
    text += "],\"Week\":[";
    for (unsigned r = 0; r < resources * 7; ++r)
        text += std::string(r == 0 ? "" : ",") + "{\"UUID\":" + id("w", r) +
                ",\"atttributes\":{\"viewOrder\":" + std::to_string(r % 7) +
                ",\"hours\":" + (in.below(4) == 0 ? "8" : "0") +
                "},\"relations\":{\"cal\":" + id("c", r / 7) + "}}";
    text += "],\"Resource\":[";
    for (unsigned r = 0; r < resources; ++r)
        text += std::string(r == 0 ? "" : ",") + "{\"UUID\":" + id("r", r) +
                ",\"atttributes\":{\"name\":\"R\"}}";
    text += "],\"ATaskResource\":[";
    for (unsigned a = 0; resources > 0 && a < tasks; ++a)
        text += std::string(a == 0 ? "" : ",") + "{\"UUID\":" + id("a", a) +
                ",\"atttributes\":{\"perc\":" + number(in) +
                "},\"relations\":{\"task\":" + id("t", a) +
                ",\"resource\":" + id("r", in.below(resources)) + "}}";
    text += "]}";
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::quietLog();
    static const std::filesystem::path file =
        std::filesystem::temp_directory_path() /
        ("mapolt-plan-graph-fuzz-" + std::to_string(::getpid()) + ".json");
    Bytes in(data, size);
    std::ofstream(file, std::ios::binary | std::ios::trunc) << planText(in);
    MemoryPreferences preferences;
    PlanReadResult read;
    auto doc = KestilPlannerDocument::initWithContentsOfURL(file, preferences, read);
    if (!doc) {
        if (read.message.empty())
            fuzz::broken("plan_graph_fuzz", "refusal without a reason");
        return 0;
    }
    fuzz::scheduleAndExport(*doc);
    fuzz::checkPlanReadsBack("plan_graph_fuzz", doc->store());
    return 0;
}
