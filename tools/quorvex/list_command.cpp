#include <cstdio>

#include "command_support.h"
#include "commands.h"
#include "listing_format.h"
#include "reporting.h"
#include "text.h"
#include "usage_error.h"

namespace quorvex::cli {
namespace {

const OptionRule kFormat{"--format", "F", "table (default), csv or json"};

using Formatter = std::string (*)(const std::vector<ListingRow>&);

Formatter FormatterFor(const Arguments& args) {
    const std::string format = args.Value(kFormat.name).value_or("table");
    if (format == "table") return FormatTable;
    if (format == "csv") return FormatCsv;
    if (format == "json") return FormatJson;
    throw UsageError("--format takes table, csv or json");
}

std::vector<ListingRow> Rows(quorvex6::Quorvex6& control) {
    using Getter = std::u16string (quorvex6::Quorvex6::*)(int16_t) const;
    // In Column order.
    static constexpr Getter kGetters[] = {
        &quorvex6::Quorvex6::get_oFilesList, &quorvex6::Quorvex6::get_oPath,
        &quorvex6::Quorvex6::get_oOrgSize,   &quorvex6::Quorvex6::get_oPackedSize,
        &quorvex6::Quorvex6::get_oRatio,     &quorvex6::Quorvex6::get_oDate,
        &quorvex6::Quorvex6::get_oTime,      &quorvex6::Quorvex6::get_oAttr,
        &quorvex6::Quorvex6::get_oType,      &quorvex6::Quorvex6::get_oCRC,
    };
    static_assert(std::size(kGetters) == kColumnNames.size());
    std::vector<ListingRow> rows(static_cast<size_t>(control.get_oFilesCount()));
    for (size_t i = 0; i < rows.size(); ++i) {
        for (size_t c = 0; c < rows[i].size(); ++c) {
            rows[i][c] = ToUtf8((control.*kGetters[c])(static_cast<int16_t>(i)));
        }
    }
    return rows;
}

}  // namespace

std::vector<const OptionRule*> ListOptions() {
    return {&kFormat, &kKindOption, &kPropsOption, &kSavePropsOption, &kHelpOption};
}

int RunList(const Arguments& args) {
    const std::string& archive = ArchiveOperand(args, false);
    const Formatter format = FormatterFor(args);
    MessageCapture capture;
    auto control = PrepareControl(args, archive);
    control->put_oArcFileName(AbsoluteName(archive));
    control->OpenFile();
    if (control->get_Error() == 0) {
        const std::string text = format(Rows(*control));
        std::fwrite(text.data(), 1, text.size(), stdout);
        std::fflush(stdout);
    }
    return SaveRequestedSettings(*control, args, FinishOperation(*control, capture));
}

}  // namespace quorvex::cli
