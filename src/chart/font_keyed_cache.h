#pragma once

#include <QFont>
#include <QHash>
#include <QString>

#include <memory>
#include <utility>
#include <vector>

namespace mapolt {

// Values computed from a text in a font, kept per font. A view draws in a handful of fonts,
// so the font is found by comparison rather than by building its key string for every text.
// Each font's table is bounded and emptied when full, so renaming thousands of tasks cannot
// grow it without end.
template <typename Value> class FontKeyedCache {
  public:
    static constexpr qsizetype kLimitPerFont = 16384;

    // The value for `text` in `font`, made by `make(text, font)` the first time.
    template <typename Make> const Value& get(const QString& text, const QFont& font, Make&& make) {
        QHash<QString, Value>& table = tableOf(font);
        if (const auto found = table.constFind(text); found != table.cend())
            return *found;
        if (table.size() >= kLimitPerFont)
            table.clear();
        return *table.insert(text, std::forward<Make>(make)(text, font));
    }

  private:
    QHash<QString, Value>& tableOf(const QFont& font) {
        for (auto& [known, table] : tables_)
            if (known == font)
                return *table;
        tables_.emplace_back(font, std::make_unique<QHash<QString, Value>>());
        return *tables_.back().second;
    }

    std::vector<std::pair<QFont, std::unique_ptr<QHash<QString, Value>>>> tables_;
};

} // namespace mapolt
