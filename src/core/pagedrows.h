#pragma once

#include <QAbstractTableModel>

#include <optional>
#include <vector>

// A queue's rows, ordered by their id, read a page at a time as the view
// scrolls. Reading again reads only what is loaded (and what came after it
// once all was), and applies the difference row by row, so the selection
// and the scroll position stay where they were.
template <class Row> class PagedRows : public QAbstractTableModel {
public:
    static constexpr int PageSize = 200;

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(m_rows.size());
    }
    bool canFetchMore(const QModelIndex& parent) const override { return !parent.isValid() && !m_atEnd; }
    // A database error is left to the next look: a view asks for more while it
    // paints, where nobody could tell the operator.
    void fetchMore(const QModelIndex& parent) override {
        if (parent.isValid() || m_atEnd)
            return;
        std::vector<Row> page;
        try {
            page = read(lastId(), std::nullopt, PageSize);
        } catch (...) {
            return;
        }
        m_atEnd = page.size() < size_t(PageSize);
        if (page.empty())
            return;
        beginInsertRows({}, int(m_rows.size()), int(m_rows.size() + page.size()) - 1);
        m_rows.insert(m_rows.end(), std::make_move_iterator(page.begin()),
                      std::make_move_iterator(page.end()));
        endInsertRows();
    }

    bool ascending() const { return m_ascending; }
    bool allLoaded() const { return m_atEnd; }
    const Row& at(int row) const { return m_rows.at(size_t(row)); }

    // The first page again. Throws what read throws.
    void refresh() {
        std::vector<Row> page = read(std::nullopt, std::nullopt, PageSize);
        beginResetModel();
        m_atEnd = page.size() < size_t(PageSize);
        m_rows = std::move(page);
        m_loaded = true;
        endResetModel();
    }

    // Reads the loaded rows again, and the rows after them when all were
    // loaded; true when any came, went or changed. Throws what read throws.
    bool update() {
        if (!m_loaded || (m_rows.empty() && !m_atEnd)) {
            refresh();
            return true;
        }
        const std::optional<int> through = m_atEnd ? std::nullopt : lastId();
        return apply(read(std::nullopt, through, -1));
    }

    void setAscending(bool ascending) {
        m_ascending = ascending;
        refresh();
    }

protected:
    // The rows after the id after and up to through included, at most limit
    // (negative: all), in the queue's order.
    virtual std::vector<Row> read(std::optional<int> after, std::optional<int> through, int limit) const = 0;
    virtual int idOf(const Row& row) const = 0;
    virtual bool sameRow(const Row& a, const Row& b) const = 0;

private:
    std::optional<int> lastId() const {
        return m_rows.empty() ? std::nullopt : std::optional<int>(idOf(m_rows.back()));
    }
    bool before(const Row& a, const Row& b) const {
        return m_ascending ? idOf(a) < idOf(b) : idOf(a) > idOf(b);
    }

    // Both in the queue's order: a run of rows gone is removed, a run of new
    // ones inserted, a row read different is told as changed.
    bool apply(std::vector<Row> fresh) {
        bool changed = false;
        size_t i = 0;
        size_t j = 0;
        while (i < m_rows.size() || j < fresh.size()) {
            if (j == fresh.size() || (i < m_rows.size() && before(m_rows[i], fresh[j]))) {
                size_t k = i;
                while (k < m_rows.size() && (j == fresh.size() || before(m_rows[k], fresh[j])))
                    ++k;
                beginRemoveRows({}, int(i), int(k) - 1);
                m_rows.erase(m_rows.begin() + ptrdiff_t(i), m_rows.begin() + ptrdiff_t(k));
                endRemoveRows();
                changed = true;
                continue;
            }
            if (i == m_rows.size() || before(fresh[j], m_rows[i])) {
                size_t k = j;
                while (k < fresh.size() && (i == m_rows.size() || before(fresh[k], m_rows[i])))
                    ++k;
                beginInsertRows({}, int(i), int(i + (k - j)) - 1);
                m_rows.insert(m_rows.begin() + ptrdiff_t(i),
                              std::make_move_iterator(fresh.begin() + ptrdiff_t(j)),
                              std::make_move_iterator(fresh.begin() + ptrdiff_t(k)));
                endInsertRows();
                i += k - j;
                j = k;
                changed = true;
                continue;
            }
            if (!sameRow(m_rows[i], fresh[j])) {
                m_rows[i] = std::move(fresh[j]);
                emit dataChanged(index(int(i), 0), index(int(i), columnCount() - 1));
                changed = true;
            }
            ++i;
            ++j;
        }
        return changed;
    }

    std::vector<Row> m_rows;
    bool m_ascending = true;
    bool m_atEnd = false;
    bool m_loaded = false;
};
