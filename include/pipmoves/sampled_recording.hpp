#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace pipmoves {

// A multi-axis recording on the pip grid: one row of values per pip from
// start_pip on, one value per named axis. It does not loop. The tempo and beat
// origin describe the source and are only validated and reported.
class SampledRecording {
 public:
  static constexpr std::size_t kMaxValues = std::size_t{1} << 23;

  // A table kept elsewhere, such as a caller's nested lists, read in the
  // order of the checks: both counts first, then each axis name, then row by
  // row its length and its values. Nothing is copied before the checks ahead
  // of it have passed, so a table that a limit refuses is never copied.
  class Table {
   public:
    virtual std::size_t axis_count() const = 0;
    virtual std::string axis(std::size_t index) const = 0;
    virtual std::size_t row_count() const = 0;
    virtual std::size_t row_length(std::size_t row) const = 0;
    virtual double value(std::size_t row, std::size_t index) const = 0;

   protected:
    ~Table() = default;
  };

  // Copies the rows, which may live in any contiguous storage, into one flat
  // table. Throws std::invalid_argument on the first rule broken, in this
  // order: recording name, timing, size (from the row count alone, before
  // anything is allocated), axis names, then the rows one after another.
  SampledRecording(std::string name, std::vector<std::string> dimensions,
                   std::span<const std::span<const double>> samples, double bpm, double beat_zero_seconds,
                   std::int32_t start_pip);
  // The same checks in the same order, reading the table as they reach it.
  SampledRecording(std::string name, const Table& table, double bpm, double beat_zero_seconds,
                   std::int32_t start_pip);

  const std::string& name() const noexcept { return name_; }
  const std::vector<std::string>& dimensions() const noexcept { return dimensions_; }
  double bpm() const noexcept { return bpm_; }
  double beat_zero_seconds() const noexcept { return beat_zero_seconds_; }
  std::int32_t start_pip() const noexcept { return start_pip_; }
  // A moved-from recording has no axes and no rows: it reports 0 and every
  // pip lies outside it.
  std::size_t sample_count() const noexcept { return dimensions_.empty() ? 0 : values_.size() / dimensions_.size(); }

  // The row of this pip in axis order. Throws std::out_of_range outside
  // [start_pip, start_pip + sample_count).
  std::vector<double> sample(int pip) const;

 private:
  std::string name_;
  std::vector<std::string> dimensions_;
  std::vector<double> values_;
  double bpm_;
  double beat_zero_seconds_;
  std::int32_t start_pip_;
};

}  // namespace pipmoves
