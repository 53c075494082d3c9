// The strip of slides as a person uses it: pictures and folders dropped on it, slides picked
// with the mouse and dragged, keys for removing and duplicating, every change one step of the
// document's history; and the document's own reordering of any selection.
#include "slide_strip.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QFileDialog>
#include <QImage>
#include <QPixmap>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include "authoring/exif_test_jpeg.h"
#include "message_pump.h"
#include "modal_dialogs.h"
#include "slide_list_model.h"
#include "studio_document.h"
#include "thumbnail_loader.h"
#include "transition/style_names.h"

namespace pellumo {
namespace {

namespace fs = std::filesystem;

// What the platform does when the pointer carrying `data` enters the view and lets go at
// `at`: enter, move and drop events delivered to the viewport. Returns the drop's action,
// IgnoreAction when the view refused it.
Qt::DropAction DeliverDrop(QAbstractItemView& view, const QMimeData& data, QPoint at, Qt::DropActions possible) {
    QDragEnterEvent enter(at, possible, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &enter);
    if (!enter.isAccepted()) return Qt::IgnoreAction;
    QDragMoveEvent move(at, possible, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &move);
    if (!move.isAccepted()) return Qt::IgnoreAction;
    QDropEvent drop(QPointF(at), possible, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &drop);
    return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
}

std::vector<std::string> Names(const TShowDocument& show) {
    std::vector<std::string> names;
    for (const TDocumentSlide& slide : show.Slides()) names.push_back(fs::path(slide.picture).filename().string());
    return names;
}

std::vector<TDocumentSlide> SlidesNamed(const std::vector<std::string>& names) {
    std::vector<TDocumentSlide> slides;
    for (const std::string& name : names) slides.push_back({name, {}, {}});
    return slides;
}

// What a view knows of the rows, built from the model's signals alone: after every change it
// must agree with the document, and the row count the model gives must be the old one until
// a change is announced done.
class RowMirror {
public:
    explicit RowMirror(QAbstractItemModel& model) : model_(model) {
        Reset();
        const auto checkCount = [this](const char* when) {
            if (model_.rowCount() != static_cast<int>(rows_.size()))
                faults_.push_back(std::string(when) + ": " + std::to_string(model_.rowCount()) + " rows for " +
                                  std::to_string(rows_.size()));
        };
        QObject::connect(&model, &QAbstractItemModel::rowsAboutToBeInserted, &context_,
                         [checkCount] { checkCount("before insertion"); });
        QObject::connect(&model, &QAbstractItemModel::rowsAboutToBeRemoved, &context_,
                         [checkCount] { checkCount("before removal"); });
        QObject::connect(&model, &QAbstractItemModel::rowsInserted, &context_,
                         [this, checkCount](const QModelIndex&, int first, int last) {
                             for (int row = first; row <= last; ++row) rows_.insert(rows_.begin() + row, Picture(row));
                             checkCount("after insertion");
                         });
        QObject::connect(&model, &QAbstractItemModel::rowsRemoved, &context_,
                         [this, checkCount](const QModelIndex&, int first, int last) {
                             rows_.erase(rows_.begin() + first, rows_.begin() + last + 1);
                             checkCount("after removal");
                         });
        QObject::connect(&model, &QAbstractItemModel::rowsMoved, &context_,
                         [this](const QModelIndex&, int first, int last, const QModelIndex&, int before) {
                             const std::vector<std::string> moved(rows_.begin() + first, rows_.begin() + last + 1);
                             rows_.erase(rows_.begin() + first, rows_.begin() + last + 1);
                             const int at = before > last ? before - (last - first + 1) : before;
                             rows_.insert(rows_.begin() + at, moved.begin(), moved.end());
                         });
        QObject::connect(&model, &QAbstractItemModel::modelReset, &context_, [this] { Reset(); });
        QObject::connect(&model, &QAbstractItemModel::dataChanged, &context_,
                         [this](const QModelIndex& first, const QModelIndex& last) {
                             for (int row = first.row(); row <= last.row(); ++row) rows_[static_cast<std::size_t>(row)] = Picture(row);
                         });
    }

    const std::vector<std::string>& Rows() const { return rows_; }
    const std::vector<std::string>& Faults() const { return faults_; }

private:
    std::string Picture(int row) const {
        return fs::path(model_.index(row, 0).data(SlideListModel::PictureRole).toString().toStdString()).filename().string();
    }
    void Reset() {
        rows_.clear();
        for (int row = 0; row < model_.rowCount(); ++row) rows_.push_back(Picture(row));
    }

    QAbstractItemModel& model_;
    QObject context_;
    std::vector<std::string> rows_;
    std::vector<std::string> faults_;
};

class SlideStripTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        const TExifBytes jpeg = ExifTestFile(PELLUMO_TEST_DATA "/jpeg/colour_16x16.jpg");
        for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"}) WriteExifTestFile(Path(name).toStdString(), jpeg);
        WriteExifTestFile(Path("notes.txt").toStdString(), {'h', 'i'});
        strip_ = std::make_unique<SlideStrip>(document_, loader_);
        mirror_ = std::make_unique<RowMirror>(strip_->Slides());
        strip_->resize(900, 420);
        strip_->show();
        strip_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(strip_.get()));
    }

    void TearDown() override {
        for (const std::string& fault : mirror_->Faults()) ADD_FAILURE() << fault;
    }

    // The document's order, which the strip's rows must show too.
    void ExpectOrder(const std::vector<std::string>& names) {
        EXPECT_EQ(Names(document_.Show()), names);
        EXPECT_EQ(mirror_->Rows(), names);
    }

    QString Path(const char* name) const { return folder_.filePath(QString::fromLatin1(name)); }
    QPoint Centre(int row) const { return strip_->visualRect(strip_->Slides().index(row)).center(); }
    // A point in the left half of the slide: a drop there goes before it.
    QPoint LeftOf(int row) const {
        const QRect rect = strip_->visualRect(strip_->Slides().index(row));
        return {rect.left() + rect.width() / 4, rect.center().y()};
    }
    void Click(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::mouseClick(strip_->viewport(), Qt::LeftButton, modifiers, Centre(row));
    }
    Qt::DropAction DropFiles(const QStringList& paths, QPoint at) {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
        data.setUrls(urls);
        return DeliverDrop(*strip_, data, at, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction);
    }

    QTemporaryDir folder_;
    StudioDocument document_;
    ThumbnailLoader loader_{nullptr, 1};
    std::unique_ptr<SlideStrip> strip_;
    std::unique_ptr<RowMirror> mirror_;
};

using TNames = std::vector<std::string>;

// Pictures dropped from a file manager become slides (a text file among them is left out and
// said); two slides picked with ctrl-clicks and dragged to the front move there together, as
// one step that undo and redo take back and make again.
TEST_F(SlideStripTest, DroppedPicturesThenTwoSlidesDraggedToTheFrontInOneStep) {
    QSignalSpy status(strip_.get(), &SlideStrip::StatusMessage);
    ASSERT_EQ(DropFiles({Path("a.jpg"), Path("notes.txt"), Path("b.jpg"), Path("c.jpg")}, {20, 20}), Qt::CopyAction);
    ExpectOrder({"a.jpg", "b.jpg", "c.jpg"});
    EXPECT_EQ(document_.UndoStack().count(), 1);
    ASSERT_EQ(status.count(), 1);
    EXPECT_TRUE(status.front().front().toString().contains("notes.txt"));
    EXPECT_EQ(strip_->SelectedRows(), (std::vector<std::size_t>{0, 1, 2}));  // what came is selected

    // A neutral placeholder until the picture's own thumbnail comes from the loader: 16 x 16,
    // never enlarged, in the middle of the same square.
    const auto decoration = [this] { return strip_->Slides().index(0).data(Qt::DecorationRole).value<QPixmap>().toImage(); };
    const QImage placeholder = decoration();
    EXPECT_EQ(placeholder.size(), QSize(128, 128));
    EXPECT_TRUE(PumpUntil([&] { return decoration() != placeholder; }, 10));
    const QImage thumbnail = decoration();
    EXPECT_EQ(thumbnail.size(), QSize(128, 128));
    EXPECT_EQ(qAlpha(thumbnail.pixel(55, 55)), 0);
    EXPECT_EQ(qAlpha(thumbnail.pixel(56, 56)), 255);
    EXPECT_EQ(qAlpha(thumbnail.pixel(71, 71)), 255);
    EXPECT_EQ(qAlpha(thumbnail.pixel(72, 72)), 0);

    QSignalSpy selection(strip_.get(), &SlideStrip::SelectionChanged);
    Click(0);
    Click(2, Qt::ControlModifier);
    ASSERT_EQ(strip_->SelectedRows(), (std::vector<std::size_t>{0, 2}));
    ASSERT_GE(selection.count(), 1);
    EXPECT_EQ(selection.back().front().value<std::vector<std::size_t>>(), (std::vector<std::size_t>{0, 2}));

    // The drag starts from the mouse on a selected slide; the drop before the first slide is
    // delivered by the runner, since the offscreen platform drops nothing.
    Qt::DropAction outcome = Qt::IgnoreAction;
    strip_->SetDragRunner([&](QDrag& drag, Qt::DropActions actions) {
        outcome = DeliverDrop(*strip_, *drag.mimeData(), LeftOf(0), actions);
        return outcome;
    });
    const QPoint from = Centre(2);
    QTest::mousePress(strip_->viewport(), Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseMove(strip_->viewport(), from + QPoint(5, 0));
    QTest::mouseMove(strip_->viewport(), from + QPoint(40, 10));
    // A platform drag takes the release itself; one that reaches the view too changes nothing.
    QTest::mouseRelease(strip_->viewport(), Qt::LeftButton, Qt::NoModifier, LeftOf(0));
    EXPECT_EQ(outcome, Qt::MoveAction);
    // Slides b and c both stood after a; a stays first, c comes right after it.
    ExpectOrder({"a.jpg", "c.jpg", "b.jpg"});
    EXPECT_EQ(strip_->SelectedRows(), (std::vector<std::size_t>{0, 1}));
    EXPECT_EQ(document_.UndoStack().count(), 2);
    EXPECT_EQ(strip_->Slides().index(1).data().toString().left(4), QStringLiteral("2 · "));

    document_.UndoStack().undo();
    ExpectOrder({"a.jpg", "b.jpg", "c.jpg"});
    document_.UndoStack().redo();
    ExpectOrder({"a.jpg", "c.jpg", "b.jpg"});

    // Dragged to the end: after the last slide.
    strip_->SelectRows({0, 2});
    auto data = std::unique_ptr<QMimeData>(strip_->Slides().mimeData({strip_->Slides().index(0), strip_->Slides().index(2)}));
    const QRect last = strip_->visualRect(strip_->Slides().index(2));
    EXPECT_EQ(DeliverDrop(*strip_, *data, last.topRight() + QPoint(-2, last.height() / 2), Qt::MoveAction), Qt::MoveAction);
    ExpectOrder({"c.jpg", "a.jpg", "b.jpg"});
    EXPECT_EQ(strip_->SelectedRows(), (std::vector<std::size_t>{1, 2}));

    // Rows of another strip are no move of this one.
    StudioDocument otherDocument;
    SlideStrip other(otherDocument, loader_);
    otherDocument.InsertSlides(0, SlidesNamed({"x.jpg", "y.jpg"}), "x");
    data.reset(other.Slides().mimeData({other.Slides().index(0)}));
    EXPECT_EQ(DeliverDrop(*strip_, *data, LeftOf(0), Qt::MoveAction), Qt::IgnoreAction);
    ExpectOrder({"c.jpg", "a.jpg", "b.jpg"});
}

// Delete removes the selection and undo puts each slide back where it was; Ctrl+D copies the
// selection right after its last slide and selects the copies.
TEST_F(SlideStripTest, DeleteAndDuplicateTheSelection) {
    document_.InsertSlides(0, SlidesNamed({"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"}), "x");
    Click(1);
    Click(3, Qt::ControlModifier);
    EXPECT_TRUE(strip_->RemoveAction()->isEnabled());
    QTest::keyClick(strip_.get(), Qt::Key_Delete);
    ExpectOrder({"a.jpg", "c.jpg", "e.jpg"});
    document_.UndoStack().undo();
    ExpectOrder({"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"});

    Click(0);
    Click(2, Qt::ControlModifier);
    QTest::keyClick(strip_.get(), Qt::Key_D, Qt::ControlModifier);
    ExpectOrder({"a.jpg", "b.jpg", "c.jpg", "a.jpg", "c.jpg", "d.jpg", "e.jpg"});
    EXPECT_EQ(strip_->SelectedRows(), (std::vector<std::size_t>{3, 4}));
    document_.UndoStack().undo();
    EXPECT_EQ(document_.Show().SlideCount(), 5u);

    strip_->clearSelection();
    EXPECT_FALSE(strip_->RemoveAction()->isEnabled());
    EXPECT_FALSE(strip_->DuplicateAction()->isEnabled());
}

// "Ajouter des images…" offers every registered format, in either letter case, and puts the
// pictures chosen right after the selection.
TEST_F(SlideStripTest, PicturesAddedThroughTheDialogComeAfterTheSelection) {
    document_.InsertSlides(0, SlidesNamed({"x.jpg", "y.jpg"}), "x");
    Click(0);
    QStringList filters;
    WhenShown<QFileDialog>([&](QFileDialog& dialog) {
        filters = dialog.nameFilters();
        dialog.setDirectory(folder_.path());
        dialog.selectFile(QStringLiteral("\"b.jpg\" \"a.jpg\""));
        static_cast<QDialog&>(dialog).accept();
    });
    strip_->AddPicturesAction()->trigger();
    ASSERT_FALSE(filters.isEmpty());
    EXPECT_TRUE(filters.front().contains("*.jpg") && filters.front().contains("*.JPG") && filters.front().contains("*.bmp"))
        << filters.front().toStdString();
    EXPECT_TRUE(filters.front().contains("*.heic") && filters.front().contains("*.HEIC") && filters.front().contains("*.avif"))
        << filters.front().toStdString();
    EXPECT_TRUE(filters.front().contains("*.webp") && filters.front().contains("*.WEBP") && filters.front().contains("*.jxl"))
        << filters.front().toStdString();
    ExpectOrder({"x.jpg", "b.jpg", "a.jpg", "y.jpg"});
    EXPECT_EQ(strip_->SelectedRows(), (std::vector<std::size_t>{1, 2}));
}

// A slide shows its own duration and style, else the defaults', else the built-in ones, and
// follows the defaults as they change.
TEST_F(SlideStripTest, LabelsFollowTheDefaults) {
    std::vector<TDocumentSlide> slides = SlidesNamed({"a.jpg", "b.jpg"});
    slides[0].values.duration = 3;
    document_.InsertSlides(0, slides, "x");
    const auto label = [this](int row) { return strip_->Slides().index(row).data().toString().toStdString(); };
    const std::string style56(StyleNameOf(56)), style0(StyleNameOf(0));
    EXPECT_EQ(label(0), "1 · 3 s · 56 " + style56);
    EXPECT_EQ(label(1), "2 · 5 s · 56 " + style56);

    QSignalSpy changed(&strip_->Slides(), &QAbstractItemModel::dataChanged);
    document_.ChangeDefaults(
        [](TSlideValues& defaults) {
            defaults.duration = 8;
            defaults.style = 0;
        },
        "x");
    EXPECT_EQ(label(0), "1 · 3 s · 0 " + style0);
    EXPECT_EQ(label(1), "2 · 8 s · 0 " + style0);
    ASSERT_FALSE(changed.isEmpty());  // the view hears it and paints again
    EXPECT_EQ(changed.back()[0].value<QModelIndex>().row(), 0);
    EXPECT_EQ(changed.back()[1].value<QModelIndex>().row(), 1);
    document_.UndoStack().undo();
    EXPECT_EQ(label(1), "2 · 5 s · 56 " + style56);
}

// A folder dropped while "by date" is checked stands for its pictures in the order they were
// taken, inserted where it was dropped, as one step.
TEST_F(SlideStripTest, FolderDroppedByDateComesInDateOrder) {
    document_.InsertSlides(0, SlidesNamed({"first.jpg", "last.jpg"}), "x");
    const QString photos = Path("photos");
    fs::create_directory(photos.toStdString());
    const auto write = [&photos](const char* name, const TExifBytes& bytes) {
        WriteExifTestFile((fs::path(photos.toStdString()) / name).string(), bytes);
    };
    write("1.jpg", JpegWithExifDates("2023:06:01 12:00:00", std::nullopt));
    write("2.jpg", ExifTestFile(PELLUMO_TEST_DATA "/jpeg/colour_16x16.jpg"));
    write("3.jpg", JpegWithExifDates("2021:01:01 08:00:00", std::nullopt, true));
    write("4.jpg", JpegWithExifDates(std::nullopt, "2022:03:04 05:06:07"));
    write("readme.txt", {'x'});

    strip_->SortFoldersByDateAction()->trigger();
    ASSERT_TRUE(strip_->Slides().SortsFoldersByDate());
    ASSERT_EQ(DropFiles({photos}, LeftOf(1)), Qt::CopyAction);
    // The folder is read on a worker thread; the interface goes on meanwhile.
    ASSERT_TRUE(QTest::qWaitFor([this] { return !strip_->Slides().ListingFolders(); }));
    ExpectOrder({"first.jpg", "3.jpg", "4.jpg", "1.jpg", "2.jpg", "last.jpg"});
    EXPECT_EQ(strip_->SelectedRows(), (std::vector<std::size_t>{1, 2, 3, 4}));
    document_.UndoStack().undo();
    ExpectOrder({"first.jpg", "last.jpg"});

    strip_->SortFoldersByDateAction()->trigger();  // by name again
    ASSERT_EQ(DropFiles({photos}, LeftOf(1)), Qt::CopyAction);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !strip_->Slides().ListingFolders(); }));
    ExpectOrder({"first.jpg", "1.jpg", "2.jpg", "3.jpg", "4.jpg", "last.jpg"});
}

// Moving a selection with gaps, forward and backward: the others keep their order, the moved
// ones come together in theirs before the slide given; undo and redo; the document tells only
// moves, which a copy that follows them ends up agreeing with.
TEST(StudioDocumentMoveSlides, SelectionsWithGapsForwardAndBackward) {
    StudioDocument document;
    document.InsertSlides(0, SlidesNamed({"0", "1", "2", "3", "4", "5", "6"}), "x");
    std::vector<std::string> mirror = Names(document.Show());
    bool onlyMoves = true;
    document.Subscribe([&](const TDocumentChange& change) {
        onlyMoves = onlyMoves && change.kind == dcSlidesMoved;
        if (change.kind != dcSlidesMoved) return;
        std::vector<std::string> moved(mirror.begin() + static_cast<std::ptrdiff_t>(change.first),
                                       mirror.begin() + static_cast<std::ptrdiff_t>(change.first + change.count));
        mirror.erase(mirror.begin() + static_cast<std::ptrdiff_t>(change.first),
                     mirror.begin() + static_cast<std::ptrdiff_t>(change.first + change.count));
        mirror.insert(mirror.begin() + static_cast<std::ptrdiff_t>(change.to), moved.begin(), moved.end());
    });
    const auto expectOrder = [&](const TNames& expected) {
        EXPECT_EQ(Names(document.Show()), expected);
        EXPECT_EQ(mirror, expected);
    };
    const TNames original{"0", "1", "2", "3", "4", "5", "6"};

    document.MoveSlides({1, 3}, 5);  // forward, before "5"
    const TNames forward{"0", "2", "4", "1", "3", "5", "6"};
    expectOrder(forward);
    document.MoveSlides({5, 0, 2}, 7);  // to the end, given in any order
    const TNames toEnd{"2", "1", "3", "6", "0", "4", "5"};
    expectOrder(toEnd);
    document.MoveSlides({6, 4}, 1);  // backward, before "1"
    const TNames backward{"2", "0", "5", "1", "3", "6", "4"};
    expectOrder(backward);
    ASSERT_EQ(document.UndoStack().count(), 4);

    document.UndoStack().undo();
    expectOrder(toEnd);
    document.UndoStack().undo();
    expectOrder(forward);
    document.UndoStack().undo();
    expectOrder(original);
    document.UndoStack().redo();
    expectOrder(forward);
    document.UndoStack().redo();
    document.UndoStack().redo();
    expectOrder(backward);

    // Slides already standing together where they would go: no step.
    document.MoveSlides({2, 3}, 2);
    document.MoveSlides({2, 3}, 4);
    document.MoveSlides({}, 0);
    EXPECT_EQ(document.UndoStack().count(), 4);
    EXPECT_TRUE(onlyMoves);
}

}  // namespace
}  // namespace pellumo
