#include "common/pack_sources.h"

#include <unordered_map>

#include "common/wildcard.h"

namespace quorvex6::backend {

namespace {

class Collector {
  public:
    // One name walked with its folders cannot reach a file twice, nor two files of one name.
    Collector(const SourceOptions& options, std::vector<SourceItem>& out, bool may_repeat)
        : options_(options), out_(out), may_repeat_(may_repeat) {}

    // Walks `folder` (relative, "" or ending in '/') and adds the files whose name matches
    // `name_pattern`; `whole_tree` takes everything below it, folders included.
    bool Walk(const std::string& folder, const std::string& name_pattern, bool whole_tree) {
        bool found = false;
        bool every = name_pattern == "*.*" || name_pattern == "*";
        for (const FolderItem& item : ListFolder(options_.base + folder)) {
            if (!options_.include_hidden && item.name[0] == '.') continue;
            std::string relative = folder + item.name;
            if (item.stat.kind == FileKind::kFolder) {
                if (!whole_tree && !options_.recursive) continue;
                relative += '/';
                if (whole_tree || every) found |= Add(relative, item.stat);
                found |= Walk(relative, name_pattern, whole_tree);
            } else if (whole_tree || MatchWildcard(name_pattern, item.name)) {
                found |= Add(std::move(relative), item.stat);
            }
        }
        return found;
    }

    // Per file of a large tree: the name is moved, not copied, into the item.
    bool Add(std::string relative, const FileStat& stat) {
        if (stat.kind == FileKind::kOther && !options_.keep_others) return false;
        if (stat.kind == FileKind::kFolder && !options_.folder_entries) return true;
        std::string_view stored = relative;
        if (options_.junk_paths) {
            if (stat.kind == FileKind::kFolder) return true;
            size_t slash = stored.rfind('/');
            if (slash != std::string::npos) stored = stored.substr(slash + 1);
        }
        // The same file named twice is stored once; two files that only junking made alike
        // would silently become one entry.
        if (may_repeat_) {
            auto [seen, fresh] = seen_.emplace(stored, relative);
            if (!fresh) {
                if (seen->second != relative) clashes_.push_back({relative, seen->second});
                return true;
            }
        }
        SourceItem item;
        item.disk_path = options_.base + relative;
        if (!item.disk_path.empty() && item.disk_path.back() == '/') item.disk_path.pop_back();
        item.stored = stored.size() == relative.size() ? std::move(relative) : std::string(stored);
        item.stat = stat;
        if (stat.kind == FileKind::kLink) item.link_target = ReadLink(item.disk_path);
        out_.push_back(std::move(item));
        return true;
    }

    struct Clash {
        std::string relative, first;
    };
    const std::vector<Clash>& clashes() const { return clashes_; }

  private:
    const SourceOptions& options_;
    std::vector<SourceItem>& out_;
    bool may_repeat_;
    std::unordered_map<std::string, std::string> seen_;  // stored name -> relative path
    std::vector<Clash> clashes_;
};

}  // namespace

std::vector<SourceItem> CollectSources(const std::vector<std::string>& names,
                                       const SourceOptions& options, OutputLog& log,
                                       ResultKeeper& result) {
    std::vector<SourceItem> out;
    Collector collector(options, out, names.size() > 1 || options.junk_paths);
    for (const std::string& name : names) {
        bool found = false;
        if (HasWildcard(name)) {
            size_t slash = name.rfind('/');
            std::string folder = slash == std::string::npos ? "" : name.substr(0, slash + 1);
            if (auto st = StatPath(options.base + (folder.empty() ? "." : folder));
                st && st->kind == FileKind::kFolder)
                found = collector.Walk(folder, name.substr(folder.size()), false);
        } else if (auto st = StatPath(options.base + name)) {
            std::string relative = name;
            while (relative.size() > 1 && relative.back() == '/') relative.pop_back();
            if (st->kind == FileKind::kFolder) {
                found = collector.Add(relative + "/", *st);
                found |= collector.Walk(relative + "/", "", true);
            } else {
                found = collector.Add(relative, *st);
            }
        }
        if (!found) {
            log.Line("no file matches " + name);
            result.Note(result::kFileNotFound);
        }
    }
    for (const Collector::Clash& clash : collector.clashes())
        log.Line("refused " + clash.relative + ": without its folders it has the name of " +
                 clash.first);
    if (!collector.clashes().empty())
        throw Failure(result::kSameNameStored,
                      "names repeat without their folders; nothing packed");
    return out;
}

}  // namespace quorvex6::backend
