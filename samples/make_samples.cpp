// Writes the sample damage files: three aircraft of our own making and one short file.
//   make_samples FOLDER
#include "core/damage_file.h"
#include "core/errors.h"

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

enum Slot {
    RightLowerOuterWing,
    RightLowerInnerWing,
    LeftLowerInnerWing,
    LeftLowerOuterWing,
    RightMidOuterWing,
    RightMidInnerWing,
    LeftMidInnerWing,
    LeftMidOuterWing,
    RightUpperOuterWing,
    RightUpperInnerWing,
    LeftUpperInnerWing,
    LeftUpperOuterWing,
    RightStabilizer,
    LeftStabilizer,
    Rudder,
    FuselageSection,
    RightWheel,
    LeftWheel,
    TailSkid,
    Pilot,
    Observer,
    Gunner,
    Engine1,
    Prop1,
    GasTank1,
    Radiator1,
    Engine2,
    Prop2,
    GasTank2,
    Radiator2,
};

// A hit box in feet: x toward the right wing, y toward the nose, z up.
struct Box {
    float x1, x2, y1, y2, z1, z2;
};

Box mirrored(const Box& box) {
    return {-box.x1, -box.x2, box.y1, box.y2, box.z1, box.z2};
}

struct PartLayout {
    Slot slot;
    Box box;
    float damage;
};

// Small deterministic generator, so that every run writes the same bytes everywhere.
class Sequence {
public:
    explicit Sequence(std::uint32_t seed) : state_(seed) {}
    std::uint32_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    std::uint8_t byteBelow(unsigned limit) { return static_cast<std::uint8_t>(next() % limit); }
    // A value in [low, high) on a grid of `step`.
    float between(float low, float high, float step) {
        const auto steps = static_cast<std::uint32_t>((high - low) / step);
        return low + step * static_cast<float>(next() % steps);
    }

private:
    std::uint32_t state_;
};

dm::PartRecord makeRecord(const PartLayout& part, Sequence& sequence) {
    dm::PartRecord record;
    const Box& box = part.box;
    record.OffOn = 1;
    record.Byte2 = sequence.byteBelow(8);
    record.Byte3 = sequence.byteBelow(256);
    record.PX1 = box.x1;
    record.PY1 = box.y1;
    record.PZ1 = box.z1;
    record.PX2 = box.x2;
    record.PY2 = box.y2;
    record.PZ2 = box.z2;
    // The marker sits inside the box, a little ahead of its centre.
    record.PX3 = (box.x1 + box.x2) / 2;
    record.PY3 = box.y1 + (box.y2 - box.y1) * 0.6f;
    record.PZ3 = (box.z1 + box.z2) / 2;
    record.Damage = part.damage;
    record.Float1 = sequence.between(0.25f, 2.5f, 0.005f);
    record.Byte4 = sequence.byteBelow(100);
    record.Float2 = sequence.between(-1.0f, 1.0f, 0.0625f);
    record.Byte5 = sequence.next() % 4 == 0 ? 255 : sequence.byteBelow(16);
    record.Float3 = sequence.between(0.0f, 120.0f, 0.1f);
    record.Byte6 = sequence.byteBelow(256);
    record.Float4 = sequence.between(0.0f, 1.0f, 0.00001f);
    record.Byte7 = sequence.byteBelow(4);
    record.Float5 = sequence.between(-500.0f, 500.0f, 0.25f);
    return record;
}

struct Aircraft {
    std::string fileName;
    std::string description;
    std::uint8_t typeNumber;
    std::uint32_t seed;
    std::vector<PartLayout> parts;
};

dm::DamageFileHeader makeHeader(const Aircraft& aircraft) {
    dm::DamageFileHeader header{};
    const char tag[] = "DMSAMPLE";
    std::memcpy(header.data(), tag, 8);
    header[8] = 1; // format version 1.0
    header[9] = 0;
    header[10] = aircraft.typeNumber;
    header[11] = static_cast<std::uint8_t>(aircraft.parts.size());
    std::memcpy(header.data() + 12, aircraft.description.data(),
                std::min<std::size_t>(aircraft.description.size(), 47));
    for (int i = 60; i < dm::kHeaderSize; ++i)
        header[i] = static_cast<std::uint8_t>(i * 37 + aircraft.typeNumber);
    return header;
}

// Adds a part and its mirror image on the left side.
void addPair(std::vector<PartLayout>& parts, Slot right, Slot left, const Box& box, float damage) {
    parts.push_back({right, box, damage});
    parts.push_back({left, mirrored(box), damage});
}

Aircraft singleSeatBiplane() {
    Aircraft plane{"00damage.dat", "Single-seat biplane, rotary engine", 0x00, 0x2F6B1A37, {}};
    auto& parts = plane.parts;
    addPair(parts, RightLowerOuterWing, LeftLowerOuterWing,
            {6.5f, 13.0f, -2.0f, 2.3f, -1.9f, -1.5f}, 45);
    addPair(parts, RightLowerInnerWing, LeftLowerInnerWing, {1.4f, 6.5f, -2.0f, 2.3f, -1.9f, -1.5f},
            60);
    addPair(parts, RightUpperOuterWing, LeftUpperOuterWing, {7.0f, 14.0f, -1.2f, 3.3f, 3.4f, 3.8f},
            45);
    addPair(parts, RightUpperInnerWing, LeftUpperInnerWing, {0.0f, 7.0f, -1.2f, 3.3f, 3.4f, 3.8f},
            62.5f);
    addPair(parts, RightStabilizer, LeftStabilizer, {0.4f, 4.6f, -14.2f, -11.6f, 0.3f, 0.5f}, 30);
    parts.push_back({Rudder, {-0.12f, 0.12f, -15.0f, -12.6f, 0.4f, 3.4f}, 25});
    parts.push_back({FuselageSection, {-1.3f, 1.3f, -14.4f, 5.2f, -1.9f, 1.8f}, 150});
    addPair(parts, RightWheel, LeftWheel, {1.6f, 2.2f, 2.4f, 4.4f, -4.9f, -2.9f}, 12);
    parts.push_back({TailSkid, {-0.15f, 0.15f, -13.6f, -12.4f, -2.7f, -1.7f}, 8});
    parts.push_back({Pilot, {-0.9f, 0.9f, -3.6f, -1.2f, -1.2f, 2.6f}, 10});
    parts.push_back({Engine1, {-1.4f, 1.4f, 3.6f, 5.6f, -1.4f, 1.4f}, 80});
    parts.push_back({Prop1, {-4.1f, 4.1f, 6.0f, 6.5f, -4.1f, 4.1f}, 15});
    parts.push_back({GasTank1, {-1.0f, 1.0f, -1.0f, 1.3f, -0.6f, 1.2f}, 35});
    parts.push_back({Radiator1, {-0.7f, 0.7f, 2.3f, 3.3f, 0.3f, 1.3f}, 20});
    return plane;
}

Aircraft twoSeatBiplane() {
    Aircraft plane{"0fdamage.dat", "Two-seat biplane with observer", 0x0F, 0x51C0FFEE, {}};
    auto& parts = plane.parts;
    addPair(parts, RightLowerOuterWing, LeftLowerOuterWing,
            {9.5f, 18.8f, -2.6f, 2.9f, -2.2f, -1.8f}, 55);
    addPair(parts, RightLowerInnerWing, LeftLowerInnerWing, {1.8f, 9.5f, -2.6f, 2.9f, -2.2f, -1.8f},
            70);
    addPair(parts, RightUpperOuterWing, LeftUpperOuterWing, {10.0f, 19.6f, -2.2f, 3.3f, 3.5f, 3.9f},
            55);
    addPair(parts, RightUpperInnerWing, LeftUpperInnerWing, {0.0f, 10.0f, -2.2f, 3.3f, 3.5f, 3.9f},
            72);
    // Small fairings where a mid wing would be: present but tiny, near the origin.
    addPair(parts, RightMidInnerWing, LeftMidInnerWing, {1.6f, 2.0f, -0.5f, 0.5f, -0.2f, 0.2f}, 5);
    addPair(parts, RightStabilizer, LeftStabilizer, {0.4f, 6.2f, -20.4f, -16.8f, 0.6f, 0.85f}, 35);
    parts.push_back({Rudder, {-0.15f, 0.15f, -21.4f, -18.0f, 0.6f, 4.6f}, 30});
    parts.push_back({FuselageSection, {-1.6f, 1.6f, -20.8f, 6.4f, -2.3f, 2.2f}, 200});
    addPair(parts, RightWheel, LeftWheel, {2.0f, 2.7f, 3.0f, 5.6f, -5.9f, -3.3f}, 15);
    parts.push_back({TailSkid, {-0.18f, 0.18f, -19.6f, -18.2f, -3.2f, -2.0f}, 10});
    parts.push_back({Pilot, {-1.0f, 1.0f, -3.0f, -0.6f, -1.4f, 2.8f}, 10});
    parts.push_back({Observer, {-1.1f, 1.1f, -7.2f, -4.6f, -1.4f, 3.0f}, 10});
    parts.push_back({Engine1, {-1.3f, 1.3f, 2.2f, 6.8f, -1.5f, 1.7f}, 120.4f});
    parts.push_back({Prop1, {-4.9f, 4.9f, 8.0f, 8.6f, -4.9f, 4.9f}, 18});
    parts.push_back({GasTank1, {-1.2f, 1.2f, -0.5f, 2.0f, -1.0f, 1.0f}, 40});
    parts.push_back({Radiator1, {-1.1f, 1.1f, 6.9f, 7.7f, -1.3f, 1.5f}, 25});
    return plane;
}

Aircraft twinEngineBomber() {
    Aircraft plane{"27damage.dat", "Twin-engine bomber, three crew", 0x27, 0x7A3D9E11, {}};
    auto& parts = plane.parts;
    addPair(parts, RightLowerOuterWing, LeftLowerOuterWing,
            {18.0f, 37.5f, -4.5f, 4.0f, -3.6f, -3.1f}, 110);
    addPair(parts, RightLowerInnerWing, LeftLowerInnerWing,
            {2.2f, 18.0f, -4.5f, 4.0f, -3.6f, -3.1f}, 140);
    addPair(parts, RightUpperOuterWing, LeftUpperOuterWing, {19.0f, 38.9f, -4.5f, 4.0f, 4.8f, 5.4f},
            110);
    addPair(parts, RightUpperInnerWing, LeftUpperInnerWing, {0.0f, 19.0f, -4.5f, 4.0f, 4.8f, 5.4f},
            150);
    addPair(parts, RightStabilizer, LeftStabilizer, {0.5f, 8.5f, -36.6f, -31.6f, 1.8f, 2.2f}, 60);
    parts.push_back({Rudder, {-0.2f, 0.2f, -38.6f, -33.8f, 2.0f, 9.0f}, 50});
    parts.push_back({FuselageSection, {-2.1f, 2.1f, -38.0f, 8.5f, -3.8f, 2.8f}, 400});
    addPair(parts, RightWheel, LeftWheel, {9.2f, 11.8f, 1.5f, 5.5f, -9.8f, -6.2f}, 25);
    parts.push_back({TailSkid, {-0.25f, 0.25f, -35.5f, -33.5f, -5.6f, -3.8f}, 12});
    parts.push_back({Pilot, {-1.3f, 1.3f, 1.0f, 4.0f, -1.5f, 3.6f}, 12});
    parts.push_back({Observer, {-1.4f, 1.4f, -14.5f, -11.5f, -1.6f, 3.8f}, 12});
    parts.push_back({Gunner, {-1.3f, 1.3f, 5.5f, 8.3f, -1.4f, 3.4f}, 12});
    addPair(parts, Engine1, Engine2, {8.8f, 12.2f, 0.5f, 7.5f, -2.6f, 1.4f}, 130);
    addPair(parts, Prop1, Prop2, {5.3f, 15.7f, 8.0f, 8.8f, -5.8f, 4.6f}, 20);
    addPair(parts, GasTank1, GasTank2, {9.3f, 11.7f, -3.5f, 0.5f, -2.4f, 0.6f}, 60);
    addPair(parts, Radiator1, Radiator2, {9.4f, 11.6f, 5.4f, 6.6f, 0.8f, 2.6f}, 30);
    return plane;
}

dm::PartTable makeTable(const Aircraft& aircraft) {
    dm::PartTable table{};
    Sequence sequence(aircraft.seed);
    for (const PartLayout& part : aircraft.parts)
        table[part.slot] = makeRecord(part, sequence);
    return table;
}

void writeAircraft(const std::filesystem::path& folder, const Aircraft& aircraft,
                   const dm::PartTable& table) {
    const std::string path = (folder / aircraft.fileName).string();
    dm::writeWholeFile(path, makeHeader(aircraft), table);
    std::cout << path << ": " << aircraft.description << '\n';
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "Usage: make_samples FOLDER\n";
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    try {
        const Aircraft scout = singleSeatBiplane();
        writeAircraft(folder, scout, makeTable(scout));
        const Aircraft twoSeater = twoSeatBiplane();
        writeAircraft(folder, twoSeater, makeTable(twoSeater));

        // The bomber shows the edge values: a value in exponent form, an unused slot that still
        // holds bytes, and bytes after the records that every save keeps.
        const Aircraft bomber = twinEngineBomber();
        dm::PartTable bomberTable = makeTable(bomber);
        bomberTable[FuselageSection].Float5 = 123456789.0f;
        bomberTable[RightMidOuterWing].Byte3 = 255;
        bomberTable[RightMidOuterWing].Byte6 = 7;
        writeAircraft(folder, bomber, bomberTable);
        std::ofstream trailer(folder / bomber.fileName, std::ios::binary | std::ios::app);
        trailer << "SAMPLE TRAILER: kept by every save\n";
        if (!trailer.flush())
            throw dm::DamageError("Cannot append to " + bomber.fileName);

        // One byte short of a complete file: the last Float5 cannot be read.
        const Aircraft shortFile{"ffdamage.dat", "Short file, 2109 bytes", 0xFF, 0, {}};
        writeAircraft(folder, shortFile, makeTable(scout));
        std::filesystem::resize_file(folder / shortFile.fileName, dm::kRecordsEnd - 1);
    } catch (const std::exception& error) {
        std::cerr << error.what() << '\n';
        return 1;
    }
    return 0;
}
