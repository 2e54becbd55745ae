#include "view/ChartDecimation.h"
#include <algorithm>

namespace view {

ChartDecimation::ChartDecimation(int maxBuckets) : maxBuckets_(std::max(2, maxBuckets))
{
    buckets_.reserve(static_cast<size_t>(maxBuckets_) + 1);
}

void ChartDecimation::clear()
{
    buckets_.clear();
    perBucket_ = 1;
    samples_ = 0;
    minY_ = 0;
    maxY_ = 0;
}

void ChartDecimation::add(double x, double y)
{
    const QPointF sample(x, y);
    minY_ = samples_ == 0 ? y : std::min(minY_, y);
    maxY_ = samples_ == 0 ? y : std::max(maxY_, y);
    ++samples_;
    if (!buckets_.empty() && buckets_.back().count < perBucket_) {
        Bucket& last = buckets_.back();
        ++last.count;
        if (y < last.low.y())
            last.low = sample;
        if (y > last.high.y())
            last.high = sample;
        return;
    }
    buckets_.push_back({1, sample, sample});
    if (static_cast<int>(buckets_.size()) > maxBuckets_)
        mergePairs();
}

ChartDecimation::Bucket ChartDecimation::merged(const Bucket& a, const Bucket& b)
{
    Bucket out;
    out.count = a.count + b.count;
    out.low = b.low.y() < a.low.y() ? b.low : a.low;
    out.high = b.high.y() > a.high.y() ? b.high : a.high;
    return out;
}

void ChartDecimation::mergePairs()
{
    size_t kept = 0;
    for (size_t i = 0; i < buckets_.size(); i += 2) {
        buckets_[kept++] = i + 1 < buckets_.size() ? merged(buckets_[i], buckets_[i + 1]) : buckets_[i];
    }
    buckets_.resize(kept);
    perBucket_ *= 2;
}

QList<QPointF> ChartDecimation::points() const
{
    QList<QPointF> out;
    out.reserve(static_cast<qsizetype>(buckets_.size()) * 2);
    for (const Bucket& b : buckets_) {
        if (b.count == 1 || b.low == b.high) {
            out.append(b.low);
            continue;
        }
        // The line passes the two extremes in the order the meter reached them.
        const bool lowFirst = b.low.x() < b.high.x() || (b.low.x() == b.high.x() && b.low.y() <= b.high.y());
        out.append(lowFirst ? b.low : b.high);
        out.append(lowFirst ? b.high : b.low);
    }
    return out;
}

} // namespace view
