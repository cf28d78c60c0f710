// Shows a hotspot while the pointer is over it or it has the keyboard focus:
// its outline over the picture and, below it, the title of the page it
// opens. The image maps stay as the library wrote them; the boxes are drawn
// from their AREA coordinates and let every click through to the map.
(function () {
    "use strict";
    const titles = typeof PAGE_TITLES === "object" ? PAGE_TITLES : {};

    function addBox(frame, area) {
        const coords = area.coords.split(",").map(Number);
        if (area.shape.toLowerCase() !== "rect" || coords.length !== 4) return;
        const [left, top, right, bottom] = coords;
        const box = document.createElement("div");
        box.className = "hotspot";
        box.style.left = left + "px";
        box.style.top = top + "px";
        box.style.width = right - left + "px";
        box.style.height = bottom - top + "px";
        const label = document.createElement("span");
        const target = area.getAttribute("href") || "";
        label.textContent = titles[target] || target || "(no link)";
        box.appendChild(label);
        frame.appendChild(box);
        const show = () => box.classList.add("shown");
        const hide = () => box.classList.remove("shown");
        area.addEventListener("mouseover", show);
        area.addEventListener("mouseout", hide);
        area.addEventListener("focus", show);
        area.addEventListener("blur", hide);
    }

    function init() {
        for (const img of document.querySelectorAll("img[usemap]")) {
            const frame = img.parentElement;
            const name = img.getAttribute("usemap").replace(/^#/, "");
            const map = Array.from(document.getElementsByTagName("map")).find(
                (m) => m.name === name);
            if (!frame || !map) continue;
            for (const area of map.areas) addBox(frame, area);
        }
    }

    if (document.readyState === "loading") {
        document.addEventListener("DOMContentLoaded", init);
    } else {
        init();
    }
})();
