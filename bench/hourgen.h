// Generated hour records for the benchmarks: the bookings of an office of 30 employees over
// the years, in the field texts of the hour table (IDs of ten digits, START and STOP as
// seconds since 1-1-1995 right-aligned in 12 characters).
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>

namespace hbbench {

constexpr int kEmployees = 30, kCustomers = 200, kActivities = 40, kProducts = 20;
constexpr int kFirstEmployee = 101, kFirstCustomer = 201, kFirstActivity = 401,
              kFirstProduct = 441;
constexpr int kFirstWeek = 1043;  // weeks since Sunday 1-1-1995: the week of 28-12-2014
constexpr int64_t kDay = 86400, kWeek = 7 * kDay;

inline std::string IdText(int id) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%010d", id);
  return buf;
}

inline std::string EpochText(int64_t seconds) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "%12lld", static_cast<long long>(seconds));
  return buf;
}

struct THour {
  std::string Medewerker, Klant, Activiteit, Product, Start, Stop, Status, Werkz;
  int Aantal = 0;
};

// Week after week, each working day, each employee books the day from about 8:00 to about
// 17:00 in blocks of 15 minutes to 2 hours, now and then with a break between two blocks.
// Each employee works mostly for a few customers (a few large ones, many small ones).
// ticketNumbers: a third of the descriptions carry a ticket number, so that texts vary.
class THourGenerator {
 public:
  explicit THourGenerator(bool ticketNumbers = false)
      : random_(20150101), tickets_(ticketNumbers) {
    std::mt19937 pick(7);
    for (auto& pool : customers_)
      for (int& c : pool) {
        const double u = std::uniform_real_distribution<double>(0, 1)(pick);
        c = kFirstCustomer + static_cast<int>(u * u * kCustomers);
      }
    StartDay();
  }

  THour Next() {
    if (minute_ >= dayEnd_) Advance();
    static const int kQuarters[] = {1, 2, 2, 3, 3, 4, 4, 4, 6, 8};
    static const char* kTexts[] = {
        "Overleg", "Ontwerp schermen", "Programmeren", "Testen", "Documentatie bijwerken",
        "Telefonisch overleg met klant", "Reistijd", "Installatie bij klant", "Offerte",
        "Projectleiding", "Storing verholpen", "Training gebruikers", "Administratie",
        "Review", "Rapportage", "Conversie van gegevens", "Afstemming planning",
        "Onderzoek", "Helpdesk", "Vergadering"};
    const int length = kQuarters[random_() % 10] * 15;
    THour h;
    h.Medewerker = IdText(kFirstEmployee + employee_);
    const int weights = random_() % 19;  // 8, 4, 2 and five times 1 out of 19
    const int slot = weights < 8 ? 0 : weights < 12 ? 1 : weights < 14 ? 2 : 3 + (weights - 14);
    h.Klant = IdText(customers_[employee_][slot]);
    h.Activiteit = IdText(kFirstActivity + static_cast<int>(random_() % kActivities));
    h.Product = IdText(kFirstProduct + static_cast<int>(random_() % kProducts));
    const int64_t day = static_cast<int64_t>(week_) * kWeek + day_ * kDay;
    const int stop = std::min(minute_ + length, dayEnd_);
    h.Start = EpochText(day + minute_ * 60);
    h.Stop = EpochText(day + stop * 60);
    h.Status = random_() % 20 == 0 ? "V" : " ";
    h.Werkz = kTexts[random_() % 20];
    if (tickets_ && random_() % 3 == 0)
      h.Werkz += ", melding " + std::to_string(10000 + random_() % 90000);
    h.Aantal = static_cast<int>(random_() % 5);
    minute_ = stop + (random_() % 10 == 0 ? 30 : 0);
    return h;
  }

  int Week() const { return week_; }

 private:
  void StartDay() {
    minute_ = 8 * 60 + static_cast<int>(random_() % 5) * 15;
    dayEnd_ = 16 * 60 + 30 + static_cast<int>(random_() % 7) * 15;
  }
  void Advance() {
    if (++employee_ == kEmployees) {
      employee_ = 0;
      if (++day_ == 6) {  // Monday to Friday
        day_ = 1;
        ++week_;
      }
    }
    StartDay();
  }

  std::mt19937 random_;
  bool tickets_;
  int customers_[kEmployees][8];
  int week_ = kFirstWeek, day_ = 1, employee_ = 0;
  int minute_ = 0, dayEnd_ = 0;
};

}  // namespace hbbench
