// HtmlToRtf throughput on a 5 MB page of everyday markup, Russian and English mixed.
//
//   htmltortf_bench [benchmark flags]        converts a page built in memory
//   htmltortf_bench --page=FILE [flags]      converts FILE (any encoding the editor reads)
//   htmltortf_bench --write-page=FILE        writes the generated page (UTF-8) and exits
//
// Bytes per second are counted on the page's UTF-8 size; "chars/s" counts UTF-16 units
// of the editor's text, CR LF breaks included.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "documents/html/htmltortf.h"
#include "text/fileio.h"
#include "text/textcodec.h"

namespace {

using vernalo::HtmlToRtf;

// A fixed-seed generator: the same page on every run and machine.
struct Lcg {
    std::uint32_t state = 20240521u;
    std::uint32_t next() {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
    template <typename T, std::size_t N>
    const T& pick(const T (&items)[N]) {
        return items[next() % N];
    }
};

const char* const kSentences[] = {
    "Москва — столица России, крупнейший по численности населения город страны.",
    "В 2023 году выставку посетили более 120&nbsp;000 человек.",
    "Подробности читайте в разделе «Новости» на нашем сайте.",
    "Современная литература отражает перемены в обществе и языке.",
    "Каждый участник получит сертификат и памятный подарок.",
    "Температура воздуха ночью опустится до −5&nbsp;°C, днём ожидается снег.",
    "The museum is open daily from 10 a.m. to 6 p.m., except on Mondays.",
    "Our team has shipped three major releases since January.",
    "Read the full report (PDF, 2.4&nbsp;MB) for the detailed figures.",
    "Prices include VAT &amp; delivery within the EU.",
    "Click <a href=\"/help/faq.html\" title=\"Frequently asked questions\">here</a> to learn "
    "more.",
    "Программа конференции включает доклады на русском и английском языках (in English, too).",
    "Он сказал: \"Это <i>очень</i> важно\", и вышел из комнаты.",
    "Версия 4.2 исправляет <b>критическую ошибку</b> в модуле импорта.",
    "The <code>config.json</code> file holds the default settings.",
};

const char* const kHeadings[] = {
    "Новости культуры", "Technology review",          "Погода на неделю",  "Release notes",
    "Отзывы читателей", "Frequently asked questions", "Контакты и адреса", "Events in May",
};

const char* const kWords[] = {"Главная", "О нас", "Каталог", "Блог",   "Contact",
                              "Pricing", "Docs",  "Форум",   "Support"};

void Paragraph(Lcg& rng, std::string& out) {
    out += "    <p class=\"text\">";
    const int n = 2 + static_cast<int>(rng.next() % 4);
    for (int i = 0; i < n; ++i) {
        if (i) out += ' ';
        out += rng.pick(kSentences);
    }
    out += "</p>\n";
}

void Article(Lcg& rng, int index, std::string& out) {
    out += "  <article id=\"post-" + std::to_string(index) + "\" class=\"post\">\n";
    out += "    <h2 class=\"post-title\"><a href=\"/posts/" + std::to_string(index) + "\">";
    out += rng.pick(kHeadings);
    out +=
        "</a></h2>\n    <div class=\"meta\">Опубликовано&nbsp;12.05.2024 &middot; "
        "<span class=\"author\">Анна&nbsp;Смирнова</span></div>\n";
    const int paras = 2 + static_cast<int>(rng.next() % 3);
    for (int p = 0; p < paras; ++p)
        Paragraph(rng, out);
    switch (rng.next() % 5) {
        case 0:
            out += "    <ul class=\"list\">\n";
            for (int i = 0; i < 4; ++i) {
                out += "      <li><a href=\"#s";
                out += std::to_string(i);
                out += "\">";
                out += rng.pick(kWords);
                out += "</a> — ";
                out += rng.pick(kSentences);
                out += "</li>\n";
            }
            out += "    </ul>\n";
            break;
        case 1:
            out +=
                "    <table class=\"data\">\n      <tr><th>Город</th><th>City</th>"
                "<th>t,&nbsp;°C</th></tr>\n";
            for (int i = 0; i < 5; ++i)
                out += "      <tr><td>Казань</td><td>Kazan</td><td>" +
                       std::to_string(static_cast<int>(rng.next() % 40) - 10) + "</td></tr>\n";
            out += "    </table>\n";
            break;
        case 2:
            out +=
                "    <pre><code>for (int i = 0; i &lt; n; ++i) {\n    total += price[i];"
                "  // сумма\n}\n</code></pre>\n";
            break;
        case 3:
            out +=
                "    <script type=\"text/javascript\">\n      window.dataLayer = "
                "window.dataLayer || [];\n      if (a < b && c > d) { track('view', " +
                std::to_string(index) + "); }\n    </script>\n";
            break;
        default:
            out +=
                "    <!-- реклама / advertisement -->\n    <div class=\"ad\"><img "
                "src=\"/img/banner.png\" alt=\"Баннер\" width=\"468\" height=\"60\"></div>\n";
            break;
    }
    out += "    <p><b>Теги:</b> <i>культура</i>, <i>technology</i>, <i>новости</i></p>\n";
    out += "  </article>\n";
}

// An everyday page: head with style and scripts, navigation, articles, footer.
std::string GeneratePage(std::size_t targetBytes) {
    Lcg rng;
    std::string page =
        "<!DOCTYPE html>\n<html lang=\"ru\">\n<head>\n  <meta charset=\"utf-8\">\n"
        "  <title>Новости и статьи — News and articles</title>\n"
        "  <link rel=\"stylesheet\" href=\"/css/main.css\">\n"
        "  <style>\n    body { font-family: Arial, sans-serif; margin: 0 }\n"
        "    .post > h2 { color: #333 }\n  </style>\n"
        "  <script async src=\"https://example.org/analytics.js\"></script>\n"
        "  <script>\n    var cfg = { lang: 'ru', items: [1, 2, 3] };\n"
        "    document.write('<script src=\"/js/x.js\"></script>');\n  </script>\n"
        "</head>\n<body>\n<nav class=\"menu\">\n  <ul>\n";
    for (const char* w : kWords)
        page += std::string("    <li><a href=\"/\">") + w + "</a></li>\n";
    page += "  </ul>\n</nav>\n<main>\n";
    for (int index = 1; page.size() < targetBytes; ++index)
        Article(rng, index, page);
    page +=
        "</main>\n<footer><p>&copy; 2024 Редакция. All rights reserved.</p></footer>\n"
        "</body>\n</html>\n";
    return page;
}

std::string g_pageBytes;  // the page as a file holds it

void BM_HtmlToRtf(benchmark::State& state) {
    // The editor's text, line breaks as CR LF, prepared once: the editor already holds it.
    const std::u16string text = vernalo::WithCrLf(vernalo::DecodeTextFile(g_pageBytes).text);
    std::size_t outSize = 0;
    for (auto _ : state) {
        std::string rtf = HtmlToRtf(text);
        outSize = rtf.size();
        benchmark::DoNotOptimize(rtf.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * g_pageBytes.size()));
    state.counters["chars/s"] = benchmark::Counter(static_cast<double>(text.size()),
                                                   benchmark::Counter::kIsIterationInvariantRate);
    state.counters["page_MB"] = static_cast<double>(g_pageBytes.size()) / 1e6;
    state.counters["rtf_MB"] = static_cast<double>(outSize) / 1e6;
}
BENCHMARK(BM_HtmlToRtf)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_HtmlToRtfWithProgress(benchmark::State& state) {
    const std::u16string text = vernalo::WithCrLf(vernalo::DecodeTextFile(g_pageBytes).text);
    int last = 0;
    for (auto _ : state) {
        std::string rtf = HtmlToRtf(text, [&last](int percent) { last = percent; });
        benchmark::DoNotOptimize(rtf.data());
    }
    benchmark::DoNotOptimize(last);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * g_pageBytes.size()));
}
BENCHMARK(BM_HtmlToRtfWithProgress)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
    constexpr std::size_t kPageBytes = 5u * 1000u * 1000u;
    std::string pagePath;
    std::vector<char*> rest;
    for (int i = 0; i < argc; ++i) {
        const char* a = argv[i];
        if (std::strncmp(a, "--write-page=", 13) == 0) {
            const std::string page = GeneratePage(kPageBytes);
            std::string error;
            if (!vernalo::WriteFileAtomically(a + 13, page, &error)) {
                std::cerr << "htmltortf_bench: " << error << "\n";
                return 1;
            }
            return 0;
        }
        if (std::strncmp(a, "--page=", 7) == 0) {
            pagePath = a + 7;
            continue;
        }
        rest.push_back(argv[i]);
    }
    if (pagePath.empty()) {
        g_pageBytes = GeneratePage(kPageBytes);
    } else {
        std::string error;
        if (!vernalo::ReadWholeFile(pagePath, g_pageBytes, &error)) {
            std::cerr << "htmltortf_bench: " << error << "\n";
            return 2;
        }
    }
    int restCount = static_cast<int>(rest.size());
    benchmark::Initialize(&restCount, rest.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
