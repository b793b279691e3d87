#include "app/progress_record.h"

#include <json/json.h>

#include <memory>
#include <sstream>

std::string WriteProgressRecord(int value, const std::string& tip) {
    Json::Value record(Json::objectValue);
    record["progress_value"] = value;
    record["progress_tip"] = tip;

    // The page has always received the compact form with the tip's bytes untouched. The
    // library's FastWriter now escapes every non-ASCII character as \uXXXX (and is deprecated),
    // so the stream writer is set up to give the compact bytes instead; it leaves out the line
    // feed that the compact form ends with.
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "";
    builder["emitUTF8"] = true;
    std::unique_ptr<Json::StreamWriter> writer(builder.newStreamWriter());
    std::ostringstream text;
    writer->write(record, &text);
    text << '\n';
    return text.str();
}
