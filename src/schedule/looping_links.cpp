#include "schedule/looping_links.h"

#include "model/entities.h"
#include "model/store.h"

#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

namespace mapolt {

std::string RemovedLink::message() const {
    return "Removed the link from \"" + predecessor + "\" to \"" + successor +
           "\": it closed a loop";
}

namespace {

using Node = std::uint32_t;
constexpr Node kNone = UINT32_MAX;

// Directed graph in adjacency lists, with a topological sort that reports the nodes it could
// not order (those on a loop or after one).
struct Graph {
    std::vector<std::vector<Node>> next;
    explicit Graph(std::size_t n) : next(n) {}
    void edge(Node from, Node to) { next[from].push_back(to); }
    std::vector<bool> unordered() const {
        std::vector<std::uint32_t> waiting(next.size(), 0);
        for (const auto& out : next)
            for (const Node t : out)
                ++waiting[t];
        std::vector<Node> ready;
        for (Node v = 0; v < next.size(); ++v)
            if (waiting[v] == 0)
                ready.push_back(v);
        std::vector<bool> left(next.size(), true);
        while (!ready.empty()) {
            const Node v = ready.back();
            ready.pop_back();
            left[v] = false;
            for (const Node t : next[v])
                if (--waiting[t] == 0)
                    ready.push_back(t);
        }
        return left;
    }
};

class LoopCheck {
  public:
    explicit LoopCheck(Store& store) : tasks_(store.fetch<ATask>()), n_(tasks_.size()) {
        index_.reserve(n_);
        for (std::size_t i = 0; i < n_; ++i)
            index_.emplace(tasks_[i], static_cast<Node>(i));
        parent_.assign(n_, kNone);
        children_.resize(n_);
        for (std::size_t i = 0; i < n_; ++i) {
            parent_[i] = indexOf(tasks_[i]->superTask());
            if (parent_[i] != kNone)
                children_[parent_[i]].push_back(static_cast<Node>(i));
        }
        for (DepLink* l : store.fetch<DepLink>()) {
            const Node a = indexOf(l->dependTask());
            const Node b = indexOf(l->dependeeTask());
            if (a != kNone && b != kNone)
                links_.push_back(Link{l, a, b});
        }
        kept_.resize(n_);
        marks_.assign(3 * n_, 0);
        ancestorMarks_.assign(n_, 0);
    }

    std::vector<RemovedLink> run(Store& store) {
        const std::vector<bool> suspect = suspects();
        std::vector<const Link*> candidates;
        for (const Link& l : links_) {
            if (suspect[l.from])
                candidates.push_back(&l);
            else
                kept_[l.from].push_back(l.to);
        }
        std::vector<RemovedLink> removed;
        for (const Link* l : candidates) {
            if (!closesLoop(l->from, l->to)) {
                kept_[l->from].push_back(l->to);
                continue;
            }
            removed.push_back(RemovedLink{tasks_[l->from]->name(), tasks_[l->to]->name()});
            store.deleteRecord(l->link);
        }
        return removed;
    }

  private:
    struct Link {
        DepLink* link;
        Node from;
        Node to;
    };

    Node indexOf(const ATask* t) const {
        const auto found = index_.find(t);
        return found == index_.end() ? kNone : found->second;
    }

    // The tasks whose links may close a loop, found in linear time on two graphs that
    // between them hold every loop the link check sees: a loop has its links' predecessors
    // among the nodes a topological sort cannot order. The first graph is the check's own:
    // summaries before their subtasks, links, and each link's predecessor before the
    // summaries above its successor. The second follows placement: a placed task rolls its
    // summaries up (U) and carries its subtree (D), and every task so moved places its
    // successors (P).
    std::vector<bool> suspects() {
        Graph order(n_);
        Graph placement(3 * n_);
        const auto P = [](Node t) { return t; };
        const auto U = [this](Node t) { return static_cast<Node>(n_ + t); };
        const auto D = [this](Node t) { return static_cast<Node>(2 * n_ + t); };
        for (Node t = 0; t < n_; ++t) {
            for (const Node c : children_[t]) {
                order.edge(t, c);
                placement.edge(D(t), D(c));
                placement.edge(P(t), D(c));
            }
            if (parent_[t] != kNone) {
                placement.edge(U(t), U(parent_[t]));
                placement.edge(P(t), U(parent_[t]));
            }
        }
        for (const Link& l : links_) {
            order.edge(l.from, l.to);
            for (const Node a : summariesBelowCommonAncestor(l.to, l.from))
                order.edge(l.from, a);
            for (const Node state : {P(l.from), U(l.from), D(l.from)})
                placement.edge(state, P(l.to));
        }
        const std::vector<bool> byOrder = order.unordered();
        const std::vector<bool> byPlacement = placement.unordered();
        std::vector<bool> suspect(n_, false);
        for (Node t = 0; t < n_; ++t)
            suspect[t] = byOrder[t] || byPlacement[P(t)] || byPlacement[U(t)] || byPlacement[D(t)];
        return suspect;
    }

    // The summaries above `t`, innermost first, up to but not including `stop`. The walk
    // ends after as many steps as there are tasks, whatever the outline holds.
    std::vector<Node> summariesAbove(Node t, Node stop) const {
        std::vector<Node> chain;
        for (Node a = parent_[t]; a != kNone && a != stop && chain.size() < n_; a = parent_[a])
            chain.push_back(a);
        return chain;
    }

    // The summaries above `to`, innermost first, up to but not including the first one that
    // also holds `from`.
    std::vector<Node> summariesBelowCommonAncestor(Node to, Node from) {
        ++ancestorSearch_;
        std::size_t steps = 0;
        for (Node a = parent_[from]; a != kNone && steps < n_; a = parent_[a], ++steps)
            ancestorMarks_[a] = ancestorSearch_;
        std::vector<Node> chain;
        for (Node a = parent_[to];
             a != kNone && ancestorMarks_[a] != ancestorSearch_ && chain.size() < n_;
             a = parent_[a])
            chain.push_back(a);
        return chain;
    }

    bool isAncestor(Node a, Node of) const {
        for (const Node p : summariesAbove(of, kNone))
            if (p == a)
                return true;
        return false;
    }

    // The link check of the link service, on the links kept so far: the successor or a
    // summary above it (up to the first that also holds the predecessor) leads back to the
    // predecessor through subtasks and links, or placing the successor reaches the predecessor.
    bool closesLoop(Node from, Node to) {
        if (from == to || isAncestor(from, to))
            return true;
        std::vector<Node> starts{to};
        for (const Node a : summariesBelowCommonAncestor(to, from))
            starts.push_back(a);
        return leadsTo(starts, from) || placementReaches(to, from);
    }

    // Marks are search numbers, so a new search needs no clearing.
    bool firstVisit(Node v) {
        if (marks_[v] == search_)
            return false;
        marks_[v] = search_;
        return true;
    }

    bool leadsTo(const std::vector<Node>& starts, Node target) {
        ++search_;
        std::vector<Node> pending;
        for (const Node s : starts)
            if (firstVisit(s))
                pending.push_back(s);
        while (!pending.empty()) {
            const Node t = pending.back();
            pending.pop_back();
            if (t == target)
                return true;
            for (const auto* out : {&children_[t], &kept_[t]})
                for (const Node next : *out)
                    if (firstVisit(next))
                        pending.push_back(next);
        }
        return false;
    }

    // Placing `to` rolls up the summaries above it and carries its subtree; each task so
    // moved places its successors in turn.
    bool placementReaches(Node to, Node target) {
        enum : std::uint8_t { kPlaced = 0, kRolled = 1, kCarried = 2 };
        ++search_;
        std::vector<std::pair<Node, std::uint8_t>> pending;
        const auto reach = [&](Node t, std::uint8_t how) {
            if (firstVisit(static_cast<Node>(how * n_ + t)))
                pending.emplace_back(t, how);
        };
        reach(to, kPlaced);
        while (!pending.empty()) {
            const auto [t, how] = pending.back();
            pending.pop_back();
            if (t == target)
                return true;
            if (how != kCarried && parent_[t] != kNone)
                reach(parent_[t], kRolled);
            if (how != kRolled)
                for (const Node c : children_[t])
                    reach(c, kCarried);
            for (const Node s : kept_[t])
                reach(s, kPlaced);
        }
        return false;
    }

    std::vector<ATask*> tasks_;
    std::size_t n_;
    std::unordered_map<const ATask*, Node> index_;
    std::vector<Node> parent_;
    std::vector<std::vector<Node>> children_;
    std::vector<Link> links_;
    std::vector<std::vector<Node>> kept_;
    std::vector<std::uint32_t> marks_;
    std::uint32_t search_ = 0;
    std::vector<std::uint32_t> ancestorMarks_;
    std::uint32_t ancestorSearch_ = 0;
};

} // namespace

std::vector<RemovedLink> removeLoopingLinks(Store& store) {
    return LoopCheck(store).run(store);
}

} // namespace mapolt
