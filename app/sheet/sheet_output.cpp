#include "app/sheet/sheet_output.h"

#include <algorithm>
#include <cctype>

#include "app/cli/program.h"

namespace spanwright {

bool formatOfPath(const std::string& path, SheetFormat& format) {
    const std::size_t dot = path.rfind('.');
    const std::size_t slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return false;
    std::string extension = path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    if (extension == "pdf")
        format = SheetFormat::Pdf;
    else if (extension == "svg")
        format = SheetFormat::Svg;
    else if (extension == "png")
        format = SheetFormat::Png;
    else
        return false;
    return true;
}

std::vector<std::string> outputPaths(const std::string& path, SheetFormat format, int pages) {
    if (format == SheetFormat::Pdf || pages == 1) return {path};
    const std::size_t dot = path.rfind('.');
    std::vector<std::string> paths;
    for (int page = 1; page <= pages; ++page)
        paths.push_back(path.substr(0, dot) + "-" + std::to_string(page) + path.substr(dot));
    return paths;
}

std::vector<std::string> earlierPaths(const std::string& path, SheetFormat format) {
    if (format == SheetFormat::Pdf) return {};
    const std::size_t dot = path.rfind('.');
    std::vector<std::string> paths = standingSeries([&](int page) {
        return std::vector<std::string>{path.substr(0, dot) + "-" + std::to_string(page) +
                                        path.substr(dot)};
    });
    paths.push_back(path);
    return paths;
}

BookOutput::BookOutput(const char* program, const std::string& path, SheetFormat format, int dpi)
    : program_(program), path_(path), format_(format), dpi_(dpi), staged_(path) {}

BookOutput::~BookOutput() {
    // The document writes its end into the file when it goes, so it goes first.
    pdf_.reset();
    if (pdfFile_) std::fclose(pdfFile_);
}

bool BookOutput::failed(const std::string& name, const std::string& why) {
    std::fprintf(stderr, "%s: cannot write %s: %s\n", program_, printableName(name).c_str(),
                 why.c_str());
    return false;
}

bool BookOutput::ready() {
    if (!staged_.ready()) return failed(path_, staged_.error());
    if (format_ != SheetFormat::Pdf) return true;
    pdfFile_ = staged_.stage();
    if (!pdfFile_) return failed(path_, staged_.error());
    return true;
}

bool BookOutput::addPage(const Book& book, const BookPlan& plan, const PagePlan& page) {
    std::string error;
    ++pages_;
    if (format_ == SheetFormat::Pdf) {
        if (!pdf_) pdf_ = std::make_unique<PdfDocument>(pdfFile_, plan.paper, metadata_);
        return pdf_->addPage(book, plan, page, error) || failed(path_, error);
    }
    std::FILE* file = staged_.stage();
    if (!file) return failed(path_, staged_.error());
    const bool drawn = format_ == SheetFormat::Svg
                           ? writeSvgPage(file, book, plan, page, error)
                           : writePngPage(file, book, plan, page, dpi_, error);
    const bool landed = staged_.finish(file);
    if (drawn && !landed) error = staged_.error();
    return (drawn && landed) || failed(path_, error);
}

bool BookOutput::publish() {
    if (format_ == SheetFormat::Pdf) {
        std::string error;
        const bool ended = pdf_ && pdf_->finish(error);
        pdf_.reset();
        std::FILE* file = pdfFile_;
        pdfFile_ = nullptr;
        const bool landed = staged_.finish(file);
        if (!ended) return failed(path_, error);
        if (!landed) return failed(path_, staged_.error());
    }
    const std::vector<std::string> targets = outputPaths(path_, format_, pages_);
    switch (staged_.publish(targets, earlierPaths(path_, format_))) {
        case PublishOutcome::Published:
            return true;
        case PublishOutcome::Untouched:
            return failed(staged_.failedTarget(),
                          staged_.error() + "; nothing was written, what stood there is untouched");
        case PublishOutcome::Restored:
            return failed(staged_.failedTarget(),
                          staged_.error() + "; nothing was written, the old pages were put back");
        case PublishOutcome::Mixed:
            return failed(staged_.failedTarget(),
                          staged_.error() +
                              "; the old pages could not all be put back: some pages are new" +
                              keptOldText(staged_));
    }
    return false;
}

}  // namespace spanwright
