#pragma once

#include <libxml/parser.h>
#include <libxml/xmlschemas.h>

#include <cstdarg>
#include <cstdio>
#include <string>

namespace mapolt::testing {

// The schema of the project XML files, loaded once for all tests; validation errors are collected
// as text.
class SchemaCheck {
  public:
    static SchemaCheck& shared() {
        static SchemaCheck check;
        return check;
    }
    // Empty when `text` validates, else libxml2's first messages.
    std::string problems(const std::string& text) {
        if (schema_ == nullptr)
            return "schema not loaded";
        xmlDocPtr doc = xmlReadMemory(text.data(), static_cast<int>(text.size()), nullptr, nullptr,
                                      XML_PARSE_NONET);
        if (doc == nullptr)
            return "not well-formed";
        xmlSchemaValidCtxtPtr ctx = xmlSchemaNewValidCtxt(schema_);
        messages_.clear();
        xmlSchemaSetValidErrors(ctx, collect, collect, this);
        const int rc = xmlSchemaValidateDoc(ctx, doc);
        xmlSchemaFreeValidCtxt(ctx);
        xmlFreeDoc(doc);
        return rc == 0 ? std::string() : messages_.substr(0, 400) + " (" + std::to_string(rc) + ")";
    }

  private:
    SchemaCheck() {
        xmlSchemaParserCtxtPtr parser =
            xmlSchemaNewParserCtxt(MAPOLT_TESTDATA_DIR "/mspdi-schema/mspdi_pj15.xsd");
        schema_ = xmlSchemaParse(parser);
        xmlSchemaFreeParserCtxt(parser);
    }
    static void collect(void* self, const char* format, ...) {
        va_list args;
        va_start(args, format);
        char buf[1024];
        std::vsnprintf(buf, sizeof buf, format, args);
        va_end(args);
        static_cast<SchemaCheck*>(self)->messages_ += buf;
    }
    xmlSchemaPtr schema_ = nullptr;
    std::string messages_;
};

} // namespace mapolt::testing
