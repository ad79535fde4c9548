// accounts.dat: one record of lines per account, the two line lists each
// preceded by its line count.
#pragma once

#include <string>
#include <string_view>

#include "accounts/account.h"
#include "options/options.h"
#include "util/atomic_file.h"
#include "util/text_file.h"

namespace ombrel {

// Replaces the content of `list` with the accounts in `bytes`. An option
// set name that matches none of `sets` (letter case ignored) becomes
// "Default". A count line that is not an integer stops reading with the
// message "'<text>' is not a valid integer value" in the result; the
// accounts read completely before it stay in the list. Lines may end with
// CR LF or a lone LF.
ReadResult ParseAccounts(std::string_view bytes, TAccountList& list, const TOptionSetList& sets);

// The whole file for `list`, in list order, every line ended by CR LF.
std::string FormatAccounts(const TAccountList& list);

// A missing file leaves the list empty and is no failure (existed false).
ReadResult LoadAccounts(const std::string& path, TAccountList& list, const TOptionSetList& sets);

// Writes through a temporary file, so a failed save leaves the previous
// file as it was; a missing data directory is created.
WriteResult SaveAccounts(const std::string& path, const TAccountList& list);

}  // namespace ombrel
