#pragma once
#include <QList>
#include <QPointF>
#include <vector>

namespace view {

// Thins one chart line to a fixed number of buckets, whatever the number of readings behind it.
//
// A technician leaves the tool polling for days: at a 5 s interval that is 17,000 readings a day,
// far more than a plot a thousand pixels wide can show. The samples (x ascending, as the readings
// come in) are gathered into at most maxBuckets buckets of equal sample count; each bucket is drawn
// as its lowest and its highest sample, in the order they came, so a short spike of import power
// stays on the plot however long the log is. When the buckets run out, neighbours are merged in
// pairs and every bucket takes twice as many samples from then on: a merge costs maxBuckets steps
// and happens each time the log doubles, so adding a sample costs the same at 100,000 samples as at
// 10, and points() never holds more than 2 * maxBuckets points.
class ChartDecimation {
public:
    // maxBuckets >= 2; smaller values are taken as 2.
    explicit ChartDecimation(int maxBuckets = kDefaultBuckets);

    // Adds a sample to the right of all others.
    void add(double x, double y);
    // Forgets every sample.
    void clear();

    // The points to draw, x ascending: one per bucket holding one sample, else the bucket's lowest
    // and highest sample in the order of their x.
    QList<QPointF> points() const;

    qsizetype sampleCount() const { return samples_; }
    bool isEmpty() const { return samples_ == 0; }
    // Lowest and highest y of every sample added since the last clear (0 when empty).
    double minY() const { return minY_; }
    double maxY() const { return maxY_; }
    // Samples each bucket takes before the next one starts: 1, 2, 4, ...
    qsizetype samplesPerBucket() const { return perBucket_; }
    int bucketCount() const { return static_cast<int>(buckets_.size()); }

    // A bucket every four or five pixels of a full-width plot: its low and high still draw every
    // swing the eye can tell apart, and a redraw stays cheap.
    static constexpr int kDefaultBuckets = 200;

private:
    struct Bucket {
        qsizetype count = 0;
        QPointF low;   // the sample with the smallest y (the first of equals)
        QPointF high;  // the sample with the largest y (the first of equals)
    };
    static Bucket merged(const Bucket& a, const Bucket& b);
    void mergePairs();

    int maxBuckets_;
    std::vector<Bucket> buckets_;
    qsizetype perBucket_ = 1;
    qsizetype samples_ = 0;
    double minY_ = 0;
    double maxY_ = 0;
};

} // namespace view
