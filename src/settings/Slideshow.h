#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

// An empty box means the usual 5 seconds; anything under a second (0, or no
// number at all) counts as one second, so the picture never flickers.
int IntervalSecondsFor(const std::string& text);

// The user's backdrop pictures and the slideshow that cycles through them.
// Plain logic: the dialog mirrors these fields into its widgets, tests drive
// it directly. Texture names are plain numbers here; loading and releasing
// them go through the two hooks.
class Slideshow {
public:
    static constexpr int kMaxImages = 10;
    static constexpr int kTickMs = 200;
    enum Mode { RepeatOne = 0, RepeatAll = 1, Random = 2 };

    struct Row {
        std::string path;
        unsigned texture = 0;
        bool on = false;  // the "State" column
        double aspect = 0;  // width / height of the picture; 0 when unknown
    };

    // What the check boxes and the interval box hold.
    bool OwnImageChecked = false;
    bool ModeChecked[3] = {true, false, false};
    std::string IntervalText = "5";

    // True while the user's own pictures replace the built-in backdrop picture.
    // Copied from the "Use your own image" box on every slideshow tick.
    bool OwnBackgroundActive = false;

    // The texture the backdrop shows while own pictures are on; 0 for none.
    int CurrentTexture = 0;
    int PlayMode = RepeatOne;
    int TickCounter = -1;
    bool Playing = false;

    // Starts loading a picture; the loader answers with ImageLoaded.
    std::function<void(const std::string& path)> StartLoad;
    // Lets go of a texture that no row uses any more.
    std::function<void(unsigned texture)> ReleaseTexture;
    // The width / height of a picture that has loaded (0 when unknown), so
    // the backdrop can crop it instead of stretching it.
    std::function<double(const std::string& path)> MeasureAspect;

    const std::vector<Row>& Rows() const { return rows_; }
    int ImageCount() const { return static_cast<int>(rows_.size()); }
    // Pictures asked for and not yet loaded, in order.
    const std::vector<std::string>& PendingPaths() const { return pending_; }

    // Checks the limit and starts loading `path`. A picture the user chose
    // starts the slideshow when it is the first one and own pictures are on.
    void AddImage(const std::string& path, bool chosenByUser = false);
    // The answer of the loader: texture 0 means the file could not be used.
    void ImageLoaded(const std::string& path, unsigned texture);

    // `row` is the selected row, or -1 when none is.
    void RemoveSelectedImage(int row);
    void RemoveAllImages();
    // A click on a list row.
    void ClickRow(int row);

    // The texture for `row` (user) or for the next slide (timer); -1 when
    // there is nothing to pick.
    int PickImage(int row, bool byUser);
    // Every 200 ms, visible or not.
    void SlideshowTick();
    // The seconds between pictures that the interval box stands for.
    int IntervalSeconds() const { return IntervalSecondsFor(IntervalText); }
    // The shape of the picture shown (0 when none is, or it is unknown).
    double CurrentAspect() const;

    void StartSlideshow();
    void StopSlideshow();
    void SetPlayMode(int mode);
    // The "Use your own image" box clicked, now `checked`.
    void SetOwnImage(bool checked);

    // Section "Custom Images" of the settings file. A save writes only what
    // changed since the settings were loaded or last saved, into the file as
    // it is then, so what another program wrote meanwhile survives; a list
    // that changed is written whole, without keys past its new end. On
    // failure *error holds the reason.
    void LoadImageSettings(const std::string& settingsPath);
    bool SaveImageSettings(const std::string& settingsPath, std::string* error = nullptr) const;

private:
    void MarkOnly(int row);
    void Release(unsigned texture);

    struct Stored {
        bool modes[3];
        bool own;
        std::string interval;
        std::vector<std::string> paths;
    };
    Stored Current() const;

    std::vector<Row> rows_;
    std::vector<std::string> pending_;
    std::vector<bool> pendingByUser_;
    // What the file held when last read or written.
    mutable std::optional<Stored> saved_;
};

// The message for one picture too many.
std::string MaximumImagesMessage(int count);
// The message for a picture that cannot be loaded.
std::string ImageLoadErrorMessage(const std::string& path);
