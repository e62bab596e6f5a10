// The game session: what each operation changes and which events it reports.
#include <gtest/gtest.h>

#include "core/session.h"

namespace {

using mar::EventKind;

// Two colours, capacity 2: [0 1] [1 0] [] — solved in three moves: 0→2, 1→0, 1→2.
mar::GameState small() {
    return {{{0, 1}, {1, 0}, {}}, 2};
}

std::vector<EventKind> kinds(const mar::Events& ev) {
    std::vector<EventKind> k;
    for (const auto& e : ev)
        k.push_back(e.kind);
    return k;
}

}  // namespace

TEST(Session, MovesAndRefusalsReportWhatHappenedAndOnlyMovesCount) {
    mar::Session s(small());
    // Onto a tube whose top has another colour, from an empty tube, onto itself: refused.
    for (mar::Move m : {mar::Move{0, 1}, mar::Move{2, 0}, mar::Move{0, 0}, mar::Move{0, 7}}) {
        const mar::Events ev = s.move(m);
        ASSERT_EQ(kinds(ev), std::vector<EventKind>{EventKind::Refused});
        EXPECT_EQ(ev[0].from, m.from);
        EXPECT_EQ(ev[0].to, m.to);
    }
    EXPECT_EQ(s.moveCount(), 0);
    EXPECT_EQ(s.position(), small());

    const mar::Events ev = s.move({0, 2});
    ASSERT_EQ(kinds(ev), std::vector<EventKind>{EventKind::Moved});
    EXPECT_EQ(ev[0].colour, 1);
    EXPECT_EQ(s.position(), (mar::GameState{{{0}, {1, 0}, {1}}, 2}));
    EXPECT_EQ(s.moveCount(), 1);
    EXPECT_EQ(s.historySize(), 1);
}

TEST(Session, UndoRestoresThePreviousPositionPastACompletedTubeAndCountsAsAMove) {
    mar::Session s(small());
    s.move({0, 2});
    const mar::Events completing = s.move({1, 0});
    EXPECT_EQ(kinds(completing),
              (std::vector<EventKind>{EventKind::Moved, EventKind::TubeCompleted}));
    EXPECT_EQ(completing[1].to, 0);
    EXPECT_EQ(completing[1].colour, 0);

    const mar::Events undone = s.undo();
    ASSERT_EQ(kinds(undone), std::vector<EventKind>{EventKind::Undone});
    EXPECT_EQ(undone[0].from, 1);
    EXPECT_EQ(undone[0].to, 0);
    EXPECT_EQ(undone[0].colour, 0);
    EXPECT_EQ(s.position(), (mar::GameState{{{0}, {1, 0}, {1}}, 2}));
    s.undo();
    EXPECT_EQ(s.position(), small());
    EXPECT_EQ(s.moveCount(), 4);    // two moves, two undos: the counter never goes down
    EXPECT_TRUE(s.undo().empty());  // nothing left to take back, nothing counted
    EXPECT_EQ(s.moveCount(), 4);
}

TEST(Session, RestartBringsBackTheStartWithNoMovesAndNoCarriedTime) {
    mar::Session s(small(), {{{0}, {1, 0}, {1}}, 2}, {{0, 2}}, 9, 42000);
    EXPECT_EQ(s.elapsedBaseMs(), 42000);
    EXPECT_EQ(kinds(s.restart()), std::vector<EventKind>{EventKind::Restarted});
    EXPECT_EQ(s.position(), small());
    EXPECT_EQ(s.moveCount(), 0);
    EXPECT_EQ(s.historySize(), 0);
    EXPECT_EQ(s.elapsedBaseMs(), 0);
}

TEST(Session, TheSolvingMoveSaysSoAndTheBoardIsFinalAfterwards) {
    mar::Session s(small());
    s.move({0, 2});
    s.move({1, 0});
    const mar::Events ev = s.move({1, 2});
    EXPECT_EQ(kinds(ev), (std::vector<EventKind>{EventKind::Moved, EventKind::TubeCompleted,
                                                 EventKind::Solved}));
    EXPECT_TRUE(s.solved());
    const mar::GameState solved = s.position();
    EXPECT_TRUE(s.undo().empty());
    EXPECT_TRUE(s.restart().empty());
    EXPECT_EQ(kinds(s.move({0, 1})), std::vector<EventKind>{EventKind::Refused});
    EXPECT_EQ(s.position(), solved);
    EXPECT_EQ(s.moveCount(), 3);
}

TEST(Session, AResumedHistoryUndoesBackToTheStartAndDropsMovesThatCannotBeTakenBack) {
    mar::Session s(small(), {{{0, 0}, {1}, {1}}, 2}, {{0, 2}, {1, 0}}, 2, 0);
    s.undo();
    s.undo();
    EXPECT_EQ(s.position(), small());

    // A hand-edited file: the older move names tube 9, the newer one is fine. Only the
    // newer move can be taken back; undo never invents a marble.
    mar::Session edited(small(), {{{0}, {1, 0}, {1}}, 2}, {{9, 2}, {0, 2}}, 2, -5);
    EXPECT_EQ(edited.historySize(), 1);
    EXPECT_EQ(edited.elapsedBaseMs(), 0);
    edited.undo();
    EXPECT_EQ(edited.position(), small());
    EXPECT_TRUE(edited.undo().empty());
}
