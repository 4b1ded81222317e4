// A file dragged anywhere onto the page is taken as the track.

// Calls take(file) with the first file dropped onto the page, and marks
// the page while files are dragged over it.
export function takeDroppedFiles(take) {
    let dragDepth = 0;
    document.addEventListener('dragenter', (event) => {
        if (![...event.dataTransfer.types].includes('Files')) return;
        ++dragDepth;
        document.body.classList.add('dragging');
    });
    document.addEventListener('dragleave', () => {
        if (dragDepth > 0 && --dragDepth === 0) document.body.classList.remove('dragging');
    });
    document.addEventListener('dragover', (event) => event.preventDefault());
    document.addEventListener('drop', (event) => {
        event.preventDefault();
        dragDepth = 0;
        document.body.classList.remove('dragging');
        if (event.dataTransfer.files.length > 0) take(event.dataTransfer.files[0]);
    });
}
