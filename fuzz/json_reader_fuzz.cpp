// Feeds arbitrary bytes to the JSON reader and, when they parse, to the plan and style
// readers; checks that whatever reads also writes and reads back the same, and that the
// record reader, taking the bytes in small pieces, reads what the whole text gives.
#include "interchange/json_export.h"
#include "interchange/json_import.h"
#include "interchange/json_reader.h"
#include "interchange/json_writer.h"
#include "model/diagnostic_log.h"
#include "model/entities.h"
#include "model/store.h"
#include "model/task_helper.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

using namespace mapolt;

[[noreturn]] void broken(const char* what) {
    std::fprintf(stderr, "json_reader_fuzz: %s\n", what);
    std::abort();
}

// Small, so that the edges of pieces fall everywhere in a record.
std::size_t pieceFor(std::string_view text) {
    return 1 + text.size() % 17;
}

void checkStreamedErrors(std::string_view text, const JsonParseResult& whole) {
    struct Ignore : JsonRecordHandler {
        void member(std::string_view) override {}
        void record(std::string_view, const JsonValue&) override {}
    } ignore;
    const JsonParseResult streamed = parseJsonRecords(text, ignore, pieceFor(text));
    if (bool(streamed) != bool(whole))
        broken("record reader and tree reader disagree");
    if (!whole && (streamed.error->traceDescription() != whole.error->traceDescription() ||
                   streamed.error->offset() != whole.error->offset() ||
                   streamed.errorLine != whole.errorLine))
        broken("record reader gives another error");
}

void checkPlanReader(std::string_view text) {
    Store store;
    UndoRegistrationPause pause(store.undoManager());
    JSONImport reader;
    Store inPieces;
    UndoRegistrationPause piecesPause(inPieces.undoManager());
    TextSource source(text);
    const bool piecesRead = JSONImport().createModelFromJSON(source, inPieces, pieceFor(text));
    const bool read = reader.createModelFromJSON(text, store);
    if (piecesRead != read)
        broken("plan read in pieces succeeds differently");
    if (read && JSONExport().buildJSON(inPieces) != JSONExport().buildJSON(store))
        broken("plan read in pieces differs");
    if (!read) {
        // A number out of its attribute's range is the only reason to refuse parsed text.
        if (!reader.problem())
            broken("parsed text refused by the plan reader");
        return;
    }
    const std::string written = JSONExport().buildJSON(store);
    Store again;
    if (!JSONImport().createModelFromJSON(written, again))
        broken("written plan does not read");
    if (JSONExport().buildJSON(again) != written)
        broken("plan text changed on a second round trip");
    // The outline walks must end on whatever graph a file describes.
    for (Project* p : again.fetch<Project>()) {
        MemoryPreferences preferences;
        TaskHelper helper(again, p, preferences);
        helper.reIndexProject();
        (void)helper.outlineOrder();
    }
}

void checkStyleReader(std::string_view text) {
    Store store;
    Project* project = store.insert<Project>();
    Style* before = project->style();
    if (JSONImport().setStyleFromJSON(text, *project)) {
        if (project->style() == nullptr)
            broken("style import succeeded without a style");
        (void)JSONExport().exportJSONforStyle(*project->style());
    } else if (project->style() != before) {
        broken("failed style import changed the style");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool quiet = [] {
        setDiagnosticSink([](std::string_view) {});
        return true;
    }();
    (void)quiet;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const JsonParseResult parsed = parseJson(text);
    checkStreamedErrors(text, parsed);
    if (!parsed) {
        for (const JsonError* e = &*parsed.error; e != nullptr; e = e->cause())
            if (e->offset() > size || e->message().empty())
                broken("error without a place or a message");
        return 0;
    }
    const JsonWriteResult written = writeJson(parsed.value);
    if (!written)
        broken("parsed tree does not write");
    const JsonParseResult reread = parseJson(written.text);
    if (!reread || !(reread.value == parsed.value))
        broken("written tree reads back different");
    if (writeJson(reread.value).text != written.text)
        broken("tree text changed on a second round trip");
    checkPlanReader(text);
    checkStyleReader(text);
    return 0;
}
