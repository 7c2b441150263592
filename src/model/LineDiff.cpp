#include "LineDiff.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace {

constexpr int kMaxEdits = 1000;
constexpr int kContext = 3;

enum Op : char { Keep = ' ', Remove = '-', Add = '+' };

// Myers' shortest edit script between a[0..n) and b[0..m), or an empty
// script when it needs more than kMaxEdits steps.
std::vector<Op> ShortestScript(const QString *a, int n, const QString *b, int m)
{
    const int maxD = std::min(n + m, kMaxEdits);
    const int offset = maxD + 1;
    std::vector<int> v(std::size_t(2 * maxD + 3), 0);
    std::vector<std::vector<int>> trace;  // v before each step d, over k = -d..d
    int found = -1;
    for (int d = 0; d <= maxD && found < 0; ++d) {
        trace.emplace_back(v.begin() + (offset - d), v.begin() + (offset + d + 1));
        for (int k = -d; k <= d; k += 2) {
            int x = (k == -d || (k != d && v[offset + k - 1] < v[offset + k + 1]))
                        ? v[offset + k + 1]
                        : v[offset + k - 1] + 1;
            int y = x - k;
            while (x < n && y < m && a[x] == b[y])
                ++x, ++y;
            v[offset + k] = x;
            if (x >= n && y >= m) {
                found = d;
                break;
            }
        }
    }
    if (found < 0)
        return {};
    std::vector<Op> ops;
    int x = n, y = m;
    for (int d = found; d > 0; --d) {
        const std::vector<int> &before = trace[std::size_t(d)];
        auto at = [&](int k) { return before[std::size_t(k + d)]; };  // k in -(d-1)..d-1
        const int k = x - y;
        const bool down = k == -d || (k != d && at(k - 1) < at(k + 1));
        const int prevK = down ? k + 1 : k - 1;
        const int prevX = at(prevK), prevY = prevX - prevK;
        for (; x > prevX && y > prevY; --x, --y)
            ops.push_back(Keep);
        ops.push_back(down ? Add : Remove);
        x = prevX, y = prevY;
    }
    for (; x > 0 && y > 0; --x, --y)
        ops.push_back(Keep);
    std::reverse(ops.begin(), ops.end());
    return ops;
}

std::vector<Op> Script(const QStringList &a, const QStringList &b)
{
    const int n = int(a.size()), m = int(b.size());
    int prefix = 0;
    while (prefix < n && prefix < m && a[prefix] == b[prefix])
        ++prefix;
    int suffix = 0;
    while (suffix < n - prefix && suffix < m - prefix && a[n - 1 - suffix] == b[m - 1 - suffix])
        ++suffix;
    const int midA = n - prefix - suffix, midB = m - prefix - suffix;
    std::vector<Op> ops(std::size_t(prefix), Keep);
    std::vector<Op> middle =
        ShortestScript(a.constData() + prefix, midA, b.constData() + prefix, midB);
    if (middle.empty() && midA + midB > 0) {
        middle.assign(std::size_t(midA), Remove);
        middle.insert(middle.end(), std::size_t(midB), Add);
    }
    ops.insert(ops.end(), middle.begin(), middle.end());
    ops.insert(ops.end(), std::size_t(suffix), Keep);
    return ops;
}

QString Range(int start, int count)
{
    // An empty range names the line before it, as diff(1) does.
    return QString::number(count == 0 ? start - 1 : start) + u',' + QString::number(count);
}

}  // namespace

QString UnifiedDiff(const QStringList &from, const QStringList &to, const QString &fromName,
                    const QString &toName)
{
    const std::vector<Op> ops = Script(from, to);
    const int total = int(ops.size());
    if (std::all_of(ops.begin(), ops.end(), [](Op op) { return op == Keep; }))
        return QString();
    QString out = QStringLiteral("--- ") + fromName + QStringLiteral("\n+++ ") + toName + u'\n';
    // Line numbers in from and to at each position of the script.
    std::vector<int> lineA(std::size_t(total) + 1), lineB(std::size_t(total) + 1);
    for (int i = 0; i < total; ++i) {
        lineA[std::size_t(i) + 1] = lineA[std::size_t(i)] + (ops[std::size_t(i)] != Add);
        lineB[std::size_t(i) + 1] = lineB[std::size_t(i)] + (ops[std::size_t(i)] != Remove);
    }
    int i = 0;
    while (i < total) {
        if (ops[std::size_t(i)] == Keep) {
            ++i;
            continue;
        }
        // A hunk: this change with its context, joined with the next change
        // while no more than twice the context lies between them.
        const int start = std::max(0, i - kContext);
        int end = i;
        for (int keeps = 0; end < total && keeps <= 2 * kContext; ++end)
            keeps = ops[std::size_t(end)] == Keep ? keeps + 1 : 0;
        while (end > i && ops[std::size_t(end) - 1] == Keep)
            --end;
        end = std::min(total, end + kContext);
        const int a0 = lineA[std::size_t(start)], b0 = lineB[std::size_t(start)];
        out += QStringLiteral("@@ -") + Range(a0 + 1, lineA[std::size_t(end)] - a0) +
               QStringLiteral(" +") + Range(b0 + 1, lineB[std::size_t(end)] - b0) +
               QStringLiteral(" @@\n");
        for (int j = start; j < end; ++j) {
            const Op op = ops[std::size_t(j)];
            out += QChar(char16_t(op));
            out += op == Add ? to[lineB[std::size_t(j)]] : from[lineA[std::size_t(j)]];
            out += u'\n';
        }
        i = end;
    }
    return out;
}
