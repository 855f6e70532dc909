#pragma once

#include "tests/core/qstring_printer.h"
#include "tests/timeline/recording_owner.h"
#include "tests/timeline/recording_panel.h"
#include "timeline/timeline_model.h"

#include <gtest/gtest.h>
#include <initializer_list>
#include <ostream>

// Small face fixtures for the timeline's tests.

// An item of face `faceNo` (channel 1, sub-number 0).
tagTL_FACE_ITEM_DATA Item(
    int32_t faceNo, int32_t start, int32_t playTime, int32_t mode = tagTL_FACE_ITEM_DATA::MODE_IMAGE);
// A LINK item showing the item of `linkFaceNo` at the same start.
tagTL_FACE_ITEM_DATA Link(
    int32_t faceNo, int32_t start, int32_t playTime, int32_t linkFaceNo, int32_t linkMode = 1);
// A face of channel 1 with items (their face numbers are set to the face's).
tagTL_FACE_DATA Face(int32_t faceNo, std::vector<tagTL_FACE_ITEM_DATA> items = {}, int32_t lock = 0);

// "1@0+100 I" style text of every face's items in row order, faces separated by " | ":
// "1: 0+100 IMAGE, 200+50 LINK>2" ... for readable expectations.
QString Describe(const CTimeLineModel& model);
// The faces' numbers and their items' starts: { {face, {starts...}}, ... }.
std::vector<std::pair<int32_t, std::vector<int32_t>>> Starts(const CTimeLineModel& model);

// Sorted faces and items, numbers 1..n by row, item keys matching their face, unique starts,
// no overlap, play time above 0, start not negative, every linked LINK showing a picture,
// camera or movie item of another face at its start, and a selection of live items.
::testing::AssertionResult TimelineInvariantsHold(const CTimeLineModel& model);

// A model laid out 1000 x 300 pixels (7 visible rows, 92 visible columns) with a recording
// owner and panel, a project of 10000, default image time 500, and the given faces.
class CTimeLineFixture : public ::testing::Test {
protected:
    CTimeLineFixture();
    // Loads faces as the view does; the invariants are checked unless the fixture breaks them on
    // purpose.
    void Load(std::initializer_list<tagTL_FACE_DATA> faces, bool checkInvariants = true);
    // The live item, or a default record.
    tagTL_FACE_ITEM_DATA At(int32_t faceNo, int32_t start) const;
    bool Has(int32_t faceNo, int32_t start) const;
    // Client point of a time on a row (the row's vertical middle).
    int XOf(int32_t time) const;
    int YOfRow(int row) const;

    CTimeLineModel model;
    CRecordingOwner owner;
    CRecordingPanel panel;
};

inline void PrintTo(const TlItemRef& item, std::ostream* out)
{
    *out << item.faceNo << '@' << item.start;
}
